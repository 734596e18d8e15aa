// The main window's text panes as the console and the command line see them: the output pane (IOutputPane; a log
// emptied must begin at the end of the text) and the command box (IEditBox), a one-line text box where typing
// replaces the selection and Backspace deletes it (or the character before the caret).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "console/CommandEdit.h"
#include "console/Console.h"

namespace kvltest {

class FakePane : public IOutputPane {
public:
    std::string text;
    int cleared = 0;
    void LogAppended(const CConsoleText& all, size_t logStart) override {
        text += all.Bytes(logStart + text.size(), all.Size());
    }
    void LogCleared(const CConsoleText& all, size_t logStart) override {
        EXPECT_EQ(logStart, all.Size()) << "an emptied log begins at the end of the text";
        text.clear();
        ++cleared;
    }
};

class FakeBox : public IEditBox {
public:
    std::string GetText() const override { return text; }
    void SetText(const std::string& t) override {
        text = t;
        start = end = static_cast<int>(t.size());
        ++setTexts;
    }
    void SetSel(int from, int to) override {
        lastSel = {from, to};
        start = from < 0 ? static_cast<int>(text.size()) : from;
        end = to < 0 ? static_cast<int>(text.size()) : to;
        ++setSels;
    }
    void Type(char c) {
        text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), 1, c);
        start = end = start + 1;
    }
    void Backspace() {
        if (start == end && start > 0)
            --start;
        text.erase(static_cast<size_t>(start), static_cast<size_t>(end - start));
        end = start;
    }
    std::string Selected() const { return text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)); }

    std::string text;
    int start = 0;  // the selection
    int end = 0;
    std::pair<int, int> lastSel{-2, -2};  // as last asked
    int setTexts = 0;
    int setSels = 0;
};

}  // namespace kvltest
