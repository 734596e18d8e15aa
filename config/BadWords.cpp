// The bad-word table and its search. The words are rude rather than obscene: the list exists to nudge names on a
// shared LAN, and a substring search over a short generic list catches the usual spellings.
#include "config/BadWords.h"

const char* const BadWords[kBadWordCount] = {
    "dork",
    "\xe4\xf3\xf0\xe0\xea",                  // durak
    "\xe8\xe4\xe8\xee\xf2",                  // idiot
    "\xe4\xe5\xe1\xe8\xeb",                  // debil
    "\xea\xf0\xe5\xf2\xe8\xed",              // kretin
    "\xef\xf0\xe8\xe4\xf3\xf0\xee\xea",      // pridurok
    "\xe1\xee\xeb\xe2\xe0\xed",              // bolvan
    "\xe1\xe0\xeb\xe1\xe5\xf1",              // balbes
    "\xee\xeb\xf3\xf5",                      // olukh
    "\xee\xf1\xf2\xee\xeb\xee\xef",          // ostolop
    "\xf2\xf3\xef\xe8\xf6\xe0",              // tupitsa
    "\xed\xe5\xe4\xee\xf3\xec\xee\xea",      // nedoumok
    "\xe1\xe5\xf1\xf2\xee\xeb\xee\xf7\xfc",  // bestoloch
    "\xe4\xf3\xe1\xe8\xed\xe0",              // dubina
    "\xea\xee\xe7\xe5\xeb",                  // kozel
    "\xf1\xe2\xee\xeb\xee\xf7\xfc",          // svoloch
    "\xf1\xea\xee\xf2\xe8\xed\xe0",          // skotina
    "\xec\xe5\xf0\xe7\xe0\xe2\xe5\xf6",      // merzavets
    "\xed\xe5\xe3\xee\xe4\xff\xe9",          // negodyay
    "\xef\xee\xe4\xeb\xe5\xf6",              // podlets
    "\xef\xe0\xf0\xe0\xe7\xe8\xf2",          // parazit
    "\xe7\xe0\xf0\xe0\xe7\xe0",              // zaraza
    "\xe3\xed\xe8\xe4\xe0",                  // gnida
    "\xf3\xf0\xee\xe4",                      // urod
    "\xf7\xec\xee",                          // chmo
    "\xe6\xeb\xee\xe1",                      // zhlob
    "\xee\xe1\xe0\xeb\xe4\xf3\xe9",          // obalduy
    "\xeb\xe0\xec\xe5\xf0",                  // lamer
    "\xeb\xf3\xe7\xe5\xf0",                  // luzer
    "\xed\xf3\xe1",                          // nub
    "\xf1\xe2\xe8\xed\xfc\xff",              // svinya
};

std::string LowerCase1251(const std::string& text) {
    std::string lower(text);
    for (char& c : lower) {
        const unsigned char b = static_cast<unsigned char>(c);
        unsigned char l = b;
        if (b >= 'A' && b <= 'Z')
            l = static_cast<unsigned char>(b + 0x20);
        else if (b >= 0xC0 && b <= 0xDF)  // Cyrillic A..Ya
            l = static_cast<unsigned char>(b + 0x20);
        else if (b == 0xA8)  // Yo
            l = 0xB8;
        else if (b == 0xAA || b == 0xAF || b == 0xBD)  // Ukrainian Ye, Yi, Macedonian Dze
            l = static_cast<unsigned char>(b == 0xBD ? 0xBE : b + 0x10);
        else if (b == 0xB2)  // Byelorussian-Ukrainian I
            l = 0xB3;
        else if (b == 0xA1)  // short U
            l = 0xA2;
        else if (b == 0xA5)  // Ghe with upturn
            l = 0xB4;
        else if (b == 0xA3)  // Je
            l = 0xBC;
        else if (b == 0x80)  // Dje
            l = 0x90;
        else if (b == 0x81)  // Gje
            l = 0x83;
        else if (b == 0x8A || (b >= 0x8C && b <= 0x8F))  // Lje, Nje, Kje, Tshe, Dzhe
            l = static_cast<unsigned char>(b + 0x10);
        c = static_cast<char>(l);
    }
    return lower;
}

std::string CheckBadWord(const std::string& name, LowerCaseFn lower) {
    const std::string folded = lower ? lower(name) : LowerCase1251(name);
    // The copy keeps the name's length (one byte per character), so a position in it is a position in the name.
    if (folded.size() != name.size())
        return std::string();
    for (const char* word : BadWords) {
        const std::string entry(word);
        const size_t at = folded.find(entry);
        if (at != std::string::npos)
            return name.substr(at, entry.size());
    }
    return std::string();
}
