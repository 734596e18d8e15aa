// The "Console output" pane: a window class of its own that draws the console's log through its model (CLogView)
// and answers the messages that tools send an edit box (the whole text, the selection, copying, the line count).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

#include "base/win32/WinHandle.h"
#include "console/Console.h"
#include "console/LogView.h"
#include "res/resource.h"

// The pane's font as the model measures it.
class CGdiTextMeasure : public ITextMeasure {
public:
    void SetFont(HFONT font);
    bool IsLeadByte(unsigned char value) override;
    int CharWidth(std::string_view character) override;

private:
    CMemoryDC m_hDC;
};

class CLogViewWindow : public IOutputPane {
public:
    // The class of the dialog template's pane; registered before the main window's dialog is made.
    static constexpr const char* kClassName = KVL_LOG_VIEW_CLASS;
    static bool RegisterWindowClass();

    CLogViewWindow();
    ~CLogViewWindow() override;
    CLogViewWindow(const CLogViewWindow&) = delete;
    CLogViewWindow& operator=(const CLogViewWindow&) = delete;

    // Takes the pane over from its dialog (which already gave it the dialog's font).
    void Attach(HWND pane);
    HWND Get() const { return m_hWnd; }

    void LogAppended(const CConsoleText& text, size_t logStart) override;
    void LogCleared(const CConsoleText& text, size_t logStart) override;

    static constexpr const char* kFaultName = "console output pane";
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void SetFont(HFONT font);
    void OpenTheme();
    void CloseTheme();
    void OnNcPaint(HRGN region);
    void OnSize();
    void OnPaint();
    void PaintRows(HDC dc, const RECT& client);
    void OnVScroll(int code);
    void OnWheel(int delta);
    void OnMouse(UINT message, int x, int y, bool shift);
    void OnDragTimer();
    void OnTimer(UINT_PTR id);
    void OnKeyDown(int virtualKey);
    bool HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnContextMenu(int x, int y);
    void Scrolled();
    void UpdateScrollBar();
    void ScrollBarSoon();
    void CopySelection();
    LRESULT GetText(WPARAM size, char* buffer);
    LRESULT GetSel(DWORD* start, DWORD* end);
    void SetSel(WPARAM start, LPARAM end);
    void Repaint();
    // A repaint for text that came: soon, at most one frame every so often.
    void RepaintSoon();

    HWND m_hWnd = nullptr;
    HFONT m_hFont = nullptr;    // the dialog's: not ours to delete
    HANDLE m_hTheme = nullptr;  // the edit box's visual style, where there is one
    CGdiTextMeasure m_Measure;
    CLogView m_View;
    RECT m_TextArea{};  // the client area less the margins
    int m_nLineHeight = 1;
    CLogView::ScrollState m_ScrollBar{};  // as the scroll bar was last set
    bool m_bScrollBarSet = false;
    bool m_bScrollBarTimer = false;
    DWORD m_dwScrollBarAt = 0;
    bool m_bFrameTimer = false;
    DWORD m_dwPaintedAt = 0;
    bool m_bRepaintAsked = false;  // the whole pane waits for its WM_PAINT
    bool m_bFocused = false;
    bool m_bDragging = false;
    int m_nDragY = 0;
    int m_nWheel = 0;  // wheel movement not yet turned into rows
    CMemoryDC m_hBufferDC;
    CBitmapHandle m_hBuffer;
    SIZE m_BufferSize{};
};
