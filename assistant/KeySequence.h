// The keystroke notation: a text of plain characters and bracketed words (<ENTER>, <CTRL>, <SHIFT_LOCK>,
// <REPEAT 3>, <DELAY 500>, ...) compiled into a list of key events, and played into the game as synthesised key
// strokes. The layout, the lock keys' states, the injection of keys and the passing of time are reached through
// small interfaces, so that the same code runs against the platform and against recording fakes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

enum KeyEventAction : uint32_t {
    ACTION_DOWN = 0,  // key down only
    ACTION_UP = 1,    // key up only
    ACTION_TAP = 2,   // key down, then key up
};

enum KeyKind : uint32_t {
    KIND_KEY = 0,
    KIND_SHIFT_LOCK = 1,
    KIND_SHIFT_UNLOCK = 2,
    KIND_CTRL_LOCK = 3,
    KIND_CTRL_UNLOCK = 4,
    KIND_ALT_LOCK = 5,
    KIND_ALT_UNLOCK = 6,
    KIND_DELAY = 7,
    KIND_REPEAT = 8,
    KIND_END_REPEAT = 9,
};

// One step of a compiled text.
struct KeyEvent {
    uint8_t vk;       // virtual-key code; not meaningful for delay and repeat markers
    uint32_t scan;    // scan code of vk; only its low byte is sent
    uint32_t action;  // KeyEventAction
    uint32_t kind;    // KeyKind
    int32_t param;    // delay: milliseconds; repeat: count
};

enum WordClass : int {
    WORD_UNKNOWN = 0,
    WORD_NOTHING = 1,  // a lock word whose lock is already in the asked state
    WORD_EVENT = 2,    // one event: taps, locks and unlocks, END_REPEAT
    WORD_ALT = 3,
    WORD_CTRL = 4,
    WORD_SHIFT = 5,
    WORD_CTRL_ALT = 6,
    WORD_CTRL_SHIFT = 7,
    WORD_ALT_SHIFT = 8,
    WORD_CTRL_ALT_SHIFT = 9,
    WORD_REPEAT = 10,
    WORD_DELAY = 11,
};

enum : uint8_t { VKEY_SHIFT = 0x10, VKEY_CTRL = 0x11, VKEY_ALT = 0x12 };

// Flags of an injected key event: every event carries the extended-key flag; key-ups add the key-up flag.
enum : uint32_t { KEYEVENT_EXTENDED = 1, KEYEVENT_KEYUP = 2 };

// The keyboard layout of the computer that types, asked at compile time.
class IKeyboardLayout {
public:
    virtual ~IKeyboardLayout() = default;
    // The key that types c: the virtual-key code in the low byte, the shift bits (1 SHIFT, 2 CTRL, 4 ALT) in the
    // high byte; 0xFFFF when the layout has no key for it.
    virtual uint16_t KeyForCharacter(char c) const = 0;
    // The scan code of a virtual key.
    virtual uint32_t ScanCode(uint8_t vk) const = 0;
    // The key's state as the platform reports it; for a lock key the low byte is 1 while the lock is on.
    virtual int16_t KeyState(uint8_t vk) const = 0;
};

// Where synthesised key events go (the hook library's keybd_event).
class IKeyInjector {
public:
    virtual ~IKeyInjector() = default;
    virtual void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extraInfo) = 0;
};

// The pauses that a text asks for.
class IClock {
public:
    virtual ~IClock() = default;
    virtual void Sleep(unsigned milliseconds) = 0;
};

// Everything a sequence needs to compile and play. Once `stopped` is set (the program is ending), a sequence plays
// none of its remaining events.
struct KeyboardOutput {
    const IKeyboardLayout& layout;
    IKeyInjector& injector;
    IClock& clock;
    const std::atomic<bool>* stopped = nullptr;
};

// The bytes of text from start up to the next ">", and how many bytes that took: the argument's length plus one
// when a ">" was found, else 0 (the argument then holds the whole rest).
struct WordArgument {
    std::string argument;
    size_t consumed;
};
WordArgument ReadWordArgument(const std::string& text, size_t start);

// One text: compiled at construction, played once, destroyed. Destruction releases CTRL, ALT and SHIFT whatever
// the text did, so that no modifier stays down after it.
class KeySequence {
public:
    KeySequence(std::string text, const KeyboardOutput& output);
    ~KeySequence();
    KeySequence(const KeySequence&) = delete;
    KeySequence& operator=(const KeySequence&) = delete;

    bool Play();
    // One event with the lock flags; sends nothing for markers and for the up of a locked modifier.
    bool PlayEvent(const KeyEvent& event, bool ctrlLocked, bool altLocked, bool shiftLocked);

    // Fills vk, scan, action and kind of a known word; param is the caller's.
    WordClass LookupKeyWord(const std::string& word, KeyEvent& event) const;

    const std::list<KeyEvent>& Events() const { return m_Events; }
    const std::string& Text() const { return m_strText; }

private:
    struct Latch {
        bool alt = false, ctrl = false, shift = false;
    };
    struct LockFlags {
        bool ctrl = false, alt = false, shift = false;
    };

    void Compile();
    void CompileCharacter(char c);
    // A bracketed item at pos; false when it fails (nothing appended, the latch kept), else pos moves past it.
    bool CompileItem(size_t& pos);
    // The events of a known word: a key event, a marker (with its argument), or the presses of a modifier word.
    void AppendWord(WordClass wordClass, const KeyEvent& event, bool hasArgument);
    void Append(uint8_t vk, uint32_t action, uint32_t kind = KIND_KEY, int32_t param = 0);
    void AppendLatchedUps();
    void ReleaseLatch();
    void PlayOne(const KeyEvent& event, LockFlags& locks);
    bool Stopped() const { return m_Output.stopped && m_Output.stopped->load(); }

    std::string m_strText;
    std::list<KeyEvent> m_Events;
    KeyboardOutput m_Output;
    Latch m_Latch;
};
