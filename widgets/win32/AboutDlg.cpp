// The About box and its ticker.
#include "widgets/win32/AboutDlg.h"

#include "base/win32/WindowProc.h"
#include "res/resource.h"
#include "widgets/WaveTickerCore.h"

INT_PTR CAboutDlg::DoModal(HWND parent) {
    if (m_hWnd) {
        ::SetForegroundWindow(m_hWnd);
        return 0;
    }
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUTBOX), parent,
                             &ForwardDialogProc<CAboutDlg>, reinterpret_cast<LPARAM>(this));
}

BOOL CAboutDlg::OnInitDialog() {
    // Pixels in the ticker's text colour become holes: the letters show what lies behind the box.
    CLayeredWindows::MakeLayered(m_hWnd);
    m_Layered.SetLayeredAttributes(m_hWnd, CWaveTicker::kTextColour, 128, LWA_COLORKEY);

    {
        CWindowDC screen(m_hWnd);
        LOGFONTA description{};
        description.lfHeight = -::MulDiv(kFontPoints, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 720);
        description.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(description.lfFaceName, "Tahoma", LF_FACESIZE);
        m_Font.Reset(::CreateFontIndirectA(&description));
    }

    if (m_Ticker.Attach(::GetDlgItem(m_hWnd, IDC_TICKER))) {
        m_Ticker.SetText(AboutTickerText());
        m_Ticker.SetFont(m_Font.Get());
        m_Ticker.SetStep(kTickerStep);
        m_Ticker.Start();
    }
    return TRUE;
}

INT_PTR CAboutDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            m_Ticker.Stop();
            ::EndDialog(m_hWnd, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        m_Ticker.Stop();
        return FALSE;
    default:
        return FALSE;
    }
}
