// Compiling and playing the keystroke notation.
#include "assistant/KeySequence.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr size_t kMaxWordLength = 19;

struct KeyWord {
    const char* word;
    uint8_t vk;
    WordClass wordClass;
    uint32_t kind;
    uint32_t action;
};

// Taps unless said otherwise. The "_ON"/"_OFF" words are resolved against the lock's state in LookupKeyWord.
constexpr KeyWord kKeyWords[] = {
    {"ENTER", 0x0D, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"BSPACE", 0x08, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"TAB", 0x09, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"ESC", 0x1B, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"PAUSE", 0x13, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"CAPSLOCK", 0x14, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"PAGEUP", 0x21, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"PAGEDOWN", 0x22, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"END", 0x23, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"HOME", 0x24, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"LEFT", 0x25, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"UP", 0x26, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"RIGHT", 0x27, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"DOWN", 0x28, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"PRINTSCRN", 0x2C, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"INSERT", 0x2D, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"DELETE", 0x2E, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"LWIN", 0x5B, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"RWIN", 0x5C, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"APPS", 0x5D, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NP_0", 0x60, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NP_1", 0x61, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NP_2", 0x62, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NP_3", 0x63, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NP_4", 0x64, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NP_5", 0x65, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NP_6", 0x66, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NP_7", 0x67, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NP_8", 0x68, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NP_9", 0x69, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F1", 0x70, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F2", 0x71, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F3", 0x72, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F4", 0x73, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F5", 0x74, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F6", 0x75, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F7", 0x76, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F8", 0x77, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F9", 0x78, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F10", 0x79, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F11", 0x7A, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"F12", 0x7B, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NUMLOCK", 0x90, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"SCROLLLOCK", 0x91, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"SHIFT", 0, WORD_SHIFT, KIND_KEY, ACTION_TAP},
    {"CTRL", 0, WORD_CTRL, KIND_KEY, ACTION_TAP},
    {"ALT", 0, WORD_ALT, KIND_KEY, ACTION_TAP},
    {"CTRL+ALT", 0, WORD_CTRL_ALT, KIND_KEY, ACTION_TAP},
    {"CTRL+SHIFT", 0, WORD_CTRL_SHIFT, KIND_KEY, ACTION_TAP},
    {"ALT+SHIFT", 0, WORD_ALT_SHIFT, KIND_KEY, ACTION_TAP},
    {"CTRL+ALT+SHIFT", 0, WORD_CTRL_ALT_SHIFT, KIND_KEY, ACTION_TAP},
    {"SHIFT_LOCK", VKEY_SHIFT, WORD_EVENT, KIND_SHIFT_LOCK, ACTION_DOWN},
    {"SHIFT_UNLOCK", VKEY_SHIFT, WORD_EVENT, KIND_SHIFT_UNLOCK, ACTION_UP},
    {"CTRL_LOCK", VKEY_CTRL, WORD_EVENT, KIND_CTRL_LOCK, ACTION_DOWN},
    {"CTRL_UNLOCK", VKEY_CTRL, WORD_EVENT, KIND_CTRL_UNLOCK, ACTION_UP},
    {"ALT_LOCK", VKEY_ALT, WORD_EVENT, KIND_ALT_LOCK, ACTION_DOWN},
    {"ALT_UNLOCK", VKEY_ALT, WORD_EVENT, KIND_ALT_UNLOCK, ACTION_UP},
    {"CAPSLOCK_ON", 0x14, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"CAPSLOCK_OFF", 0x14, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NUMLOCK_ON", 0x90, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"NUMLOCK_OFF", 0x90, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"SCROLLLOCK_ON", 0x91, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"SCROLLLOCK_OFF", 0x91, WORD_EVENT, KIND_KEY, ACTION_TAP},
    {"REPEAT", 0, WORD_REPEAT, KIND_REPEAT, ACTION_TAP},
    {"END_REPEAT", 0, WORD_EVENT, KIND_END_REPEAT, ACTION_TAP},
    {"DELAY", 0, WORD_DELAY, KIND_DELAY, ACTION_TAP},
};

// The modifier words: the keys they press, in this order; they stay latched down until the next key's up.
struct ModifierWord {
    WordClass wordClass;
    uint8_t downs[3];  // 0 after the last
};
constexpr ModifierWord kModifierWords[] = {
    {WORD_ALT, {VKEY_ALT}},
    {WORD_CTRL, {VKEY_CTRL}},
    {WORD_SHIFT, {VKEY_SHIFT}},
    {WORD_CTRL_ALT, {VKEY_CTRL, VKEY_ALT}},
    {WORD_CTRL_SHIFT, {VKEY_CTRL, VKEY_SHIFT}},
    {WORD_ALT_SHIFT, {VKEY_SHIFT, VKEY_ALT}},
    {WORD_CTRL_ALT_SHIFT, {VKEY_CTRL, VKEY_ALT, VKEY_SHIFT}},
};

bool EndsWith(const std::string& text, const char* tail) {
    const size_t n = std::strlen(tail);
    return text.size() > n && text.compare(text.size() - n, n, tail) == 0;
}

// The standard text-to-int conversion (leading blanks, a sign, digits up to the first other byte, 0 for none);
// values beyond int's range are clamped instead of being undefined.
int32_t TextToInt(const std::string& text) {
    errno = 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace

WordArgument ReadWordArgument(const std::string& text, size_t start) {
    if (start > text.size())
        start = text.size();
    const size_t close = text.find('>', start);
    if (close == std::string::npos)
        return {text.substr(start), 0};
    return {text.substr(start, close - start), close - start + 1};
}

KeySequence::KeySequence(std::string text, const KeyboardOutput& output)
    : m_strText(std::move(text)), m_Output(output) {
    Compile();
}

KeySequence::~KeySequence() {
    // Whatever the text did (a modifier latched at its end, a lock never unlocked), nothing stays down.
    for (uint8_t vk : {VKEY_CTRL, VKEY_ALT, VKEY_SHIFT})
        m_Output.injector.KeybdEvent(vk, 0, KEYEVENT_EXTENDED | KEYEVENT_KEYUP, 0);
}

WordClass KeySequence::LookupKeyWord(const std::string& word, KeyEvent& event) const {
    for (const KeyWord& entry : kKeyWords) {
        if (word != entry.word)
            continue;
        event.vk = entry.vk;
        event.scan = m_Output.layout.ScanCode(entry.vk);
        event.action = entry.action;
        event.kind = entry.kind;
        if (EndsWith(word, "_ON")) {
            // Nothing to do when the lock is on already.
            if ((m_Output.layout.KeyState(entry.vk) & 0xFF) != 0)
                return WORD_NOTHING;
        } else if (EndsWith(word, "_OFF")) {
            if ((m_Output.layout.KeyState(entry.vk) & 0xFF) != 1)
                return WORD_NOTHING;
        }
        return entry.wordClass;
    }
    return WORD_UNKNOWN;
}

void KeySequence::Compile() {
    m_Events.clear();
    m_Latch = Latch();
    bool literal = false;
    size_t pos = 0;
    while (pos < m_strText.size()) {
        const char c = m_strText[pos];
        if (c == '<' && !literal && pos + 1 < m_strText.size()) {
            if (CompileItem(pos))
                continue;
            // The "<" is typed as itself, and the rest of the item follows as ordinary text.
            literal = true;
            continue;
        }
        literal = false;
        CompileCharacter(c);
        ++pos;
    }
}

void KeySequence::Append(uint8_t vk, uint32_t action, uint32_t kind, int32_t param) {
    m_Events.push_back(KeyEvent{vk, m_Output.layout.ScanCode(vk), action, kind, param});
}

void KeySequence::AppendLatchedUps() {
    if (m_Latch.alt)
        Append(VKEY_ALT, ACTION_UP);
    if (m_Latch.ctrl)
        Append(VKEY_CTRL, ACTION_UP);
    if (m_Latch.shift)
        Append(VKEY_SHIFT, ACTION_UP);
}

void KeySequence::ReleaseLatch() {
    AppendLatchedUps();
    m_Latch = Latch();
}

void KeySequence::CompileCharacter(char c) {
    const uint16_t key = m_Output.layout.KeyForCharacter(c);
    // A character that the layout cannot produce is skipped: nothing is sent for it and a latched modifier waits
    // for the next key.
    if (key == 0xFFFF)
        return;
    const uint8_t vk = static_cast<uint8_t>(key & 0xFF);
    const unsigned shiftBits = (key >> 8) & 0xFF;
    if (shiftBits & 1)
        Append(VKEY_SHIFT, ACTION_DOWN);
    if (shiftBits & 2)
        Append(VKEY_CTRL, ACTION_DOWN);
    if (shiftBits & 4)
        Append(VKEY_ALT, ACTION_DOWN);
    Append(vk, ACTION_TAP);
    if (shiftBits & 4)
        Append(VKEY_ALT, ACTION_UP);
    if (shiftBits & 2)
        Append(VKEY_CTRL, ACTION_UP);
    if (shiftBits & 1)
        Append(VKEY_SHIFT, ACTION_UP);
    ReleaseLatch();
}

bool KeySequence::CompileItem(size_t& pos) {
    const std::string& text = m_strText;
    // The word runs up to the first space or ">".
    const size_t wordStart = pos + 1;
    const size_t terminator = text.find_first_of(" >", wordStart);
    if (terminator == std::string::npos || terminator - wordStart > kMaxWordLength)
        return false;
    const bool spaceTerminated = text[terminator] == ' ';

    KeyEvent event{};
    const WordClass wordClass = LookupKeyWord(text.substr(wordStart, terminator - wordStart), event);
    if (wordClass == WORD_UNKNOWN)
        return false;

    size_t next = terminator + 1;
    if (wordClass == WORD_REPEAT || wordClass == WORD_DELAY) {
        if (spaceTerminated) {
            const WordArgument argument = ReadWordArgument(text, terminator + 1);
            event.param = TextToInt(argument.argument);
            // Without its ">" the count still counts, and the rest of the text is typed from after the space.
            next += argument.consumed;
        }
    } else if (spaceTerminated) {
        // An argument to a word that takes none is read and ignored: <ENTER 3> taps ENTER once.
        const WordArgument ignored = ReadWordArgument(text, terminator + 1);
        if (ignored.consumed == 0)
            return false;
        next += ignored.consumed;
    }
    AppendWord(wordClass, event, spaceTerminated);
    pos = next;
    return true;
}

void KeySequence::AppendWord(WordClass wordClass, const KeyEvent& event, bool hasArgument) {
    if (wordClass == WORD_EVENT) {
        m_Events.push_back(event);
        ReleaseLatch();
        return;
    }
    AppendLatchedUps();
    m_Latch = Latch();
    if ((wordClass == WORD_REPEAT || wordClass == WORD_DELAY) && hasArgument)
        m_Events.push_back(event);
    for (const ModifierWord& modifier : kModifierWords) {
        if (modifier.wordClass != wordClass)
            continue;
        for (uint8_t vk : modifier.downs) {
            if (vk == 0)
                break;
            Append(vk, ACTION_DOWN);
            m_Latch.alt = m_Latch.alt || vk == VKEY_ALT;
            m_Latch.ctrl = m_Latch.ctrl || vk == VKEY_CTRL;
            m_Latch.shift = m_Latch.shift || vk == VKEY_SHIFT;
        }
    }
}

bool KeySequence::PlayEvent(const KeyEvent& event, bool ctrlLocked, bool altLocked, bool shiftLocked) {
    if (event.kind == KIND_DELAY || event.kind == KIND_REPEAT || event.kind == KIND_END_REPEAT)
        return true;
    if (event.kind == KIND_KEY && event.action == ACTION_UP &&
        ((event.vk == VKEY_CTRL && ctrlLocked) || (event.vk == VKEY_ALT && altLocked) ||
         (event.vk == VKEY_SHIFT && shiftLocked)))
        return true;  // a locked modifier stays down until its unlock word
    const uint8_t scan = static_cast<uint8_t>(event.scan & 0xFF);
    if (event.action == ACTION_DOWN || event.action == ACTION_TAP)
        m_Output.injector.KeybdEvent(event.vk, scan, KEYEVENT_EXTENDED, 0);
    if (event.action == ACTION_UP || event.action == ACTION_TAP)
        m_Output.injector.KeybdEvent(event.vk, scan, KEYEVENT_EXTENDED | KEYEVENT_KEYUP, 0);
    return true;
}

void KeySequence::PlayOne(const KeyEvent& event, LockFlags& locks) {
    switch (event.kind) {
    case KIND_SHIFT_LOCK:
    case KIND_SHIFT_UNLOCK:
        locks.shift = event.kind == KIND_SHIFT_LOCK;
        break;
    case KIND_CTRL_LOCK:
    case KIND_CTRL_UNLOCK:
        locks.ctrl = event.kind == KIND_CTRL_LOCK;
        break;
    case KIND_ALT_LOCK:
    case KIND_ALT_UNLOCK:
        locks.alt = event.kind == KIND_ALT_LOCK;
        break;
    case KIND_DELAY:
        if (event.param > 0)
            m_Output.clock.Sleep(static_cast<unsigned>(event.param));
        return;
    default:
        break;
    }
    PlayEvent(event, locks.ctrl, locks.alt, locks.shift);
}

bool KeySequence::Play() {
    LockFlags locks;
    for (auto it = m_Events.begin(); it != m_Events.end() && !Stopped(); ++it) {
        if (it->kind <= KIND_DELAY) {
            PlayOne(*it, locks);
            continue;
        }
        if (it->kind != KIND_REPEAT)
            continue;  // END_REPEAT alone, or any other kind: nothing
        const int32_t count = it->param;
        if (count <= 1)
            continue;  // the block that follows plays once, as ordinary events
        // The block: the events up to the next marker (blocks do not nest) or the end of the list.
        const auto first = std::next(it);
        auto stop = first;
        while (stop != m_Events.end() && stop->kind <= KIND_DELAY)
            ++stop;
        for (int32_t round = 0; round < count && !Stopped(); ++round)
            for (auto e = first; e != stop; ++e)
                PlayOne(*e, locks);
        if (stop == m_Events.end())
            break;
        it = stop;  // the marker that ended the block is consumed without effect
    }
    return true;
}
