// Layout support of a resizable dialog: anchored controls, the minimum size, and the window placement text.
#include "widgets/win32/ResizableLayout.h"

#include "widgets/Placement.h"

void CResizableLayout::Init(HWND window) {
    m_hWnd = window;
    RECT client{};
    ::GetClientRect(window, &client);
    m_Layout.SetInitialClient({client.right - client.left, client.bottom - client.top});
    RECT frame{};
    ::GetWindowRect(window, &frame);
    m_MinimumWindow = SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

bool CResizableLayout::AddAnchor(int controlId, AnchorPoint topLeft, std::optional<AnchorPoint> bottomRight) {
    HWND control = ::GetDlgItem(m_hWnd, controlId);
    if (!control)
        return false;
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    m_Layout.Add(controlId, {rect.left, rect.top, rect.right, rect.bottom}, topLeft, bottomRight);
    return true;
}

void CResizableLayout::RemoveAllAnchors() { m_Layout.Clear(); }

void CResizableLayout::OnSize(UINT sizeType, int cx, int cy) {
    if (!m_hWnd || sizeType == SIZE_MINIMIZED || m_Layout.Empty())
        return;
    const auto placed = m_Layout.Arrange({cx, cy});
    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(placed.size()));
    for (const auto& item : placed) {
        HWND control = ::GetDlgItem(m_hWnd, item.id);
        if (!control)
            continue;
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
        if (batch)
            batch = ::DeferWindowPos(batch, control, nullptr, item.rect.left, item.rect.top, item.rect.Width(),
                                     item.rect.Height(), flags);
        else
            ::SetWindowPos(control, nullptr, item.rect.left, item.rect.top, item.rect.Width(), item.rect.Height(),
                           flags);
    }
    if (batch)
        ::EndDeferWindowPos(batch);
    // Controls that moved leave their old place to the dialog's background; repaint the whole family once.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CResizableLayout::OnGetMinMaxInfo(MINMAXINFO* info) const {
    if (!info || m_MinimumWindow.cx <= 0)
        return;
    const LayoutSize minimum =
        ApplyMinimumSize({info->ptMinTrackSize.x, info->ptMinTrackSize.y}, {m_MinimumWindow.cx, m_MinimumWindow.cy});
    info->ptMinTrackSize.x = minimum.cx;
    info->ptMinTrackSize.y = minimum.cy;
}

bool CResizableLayout::RestorePlacement(const std::string& text) {
    if (!m_hWnd || text.empty())
        return false;
    PlacementValues values;
    if (!ParsePlacement(text, values))
        return false;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!::GetWindowPlacement(m_hWnd, &placement))
        return false;
    placement.rcNormalPosition = RECT{values.left, values.top, values.right, values.bottom};
    placement.showCmd = static_cast<UINT>(values.showCmd);
    // A window not shown yet that is to be shown normally stays hidden: its owner shows it, and showing it here
    // as well would have it appear (and lay out its controls) once more for nothing.
    if (placement.showCmd == SW_SHOWNORMAL && !::IsWindowVisible(m_hWnd))
        placement.showCmd = SW_HIDE;
    placement.flags = static_cast<UINT>(values.flags);
    return ::SetWindowPlacement(m_hWnd, &placement) != FALSE;
}

bool CResizableLayout::StorePlacement(std::string& text) const {
    if (!m_hWnd)
        return false;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!::GetWindowPlacement(m_hWnd, &placement))
        return false;
    PlacementValues values;
    values.left = placement.rcNormalPosition.left;
    values.top = placement.rcNormalPosition.top;
    values.right = placement.rcNormalPosition.right;
    values.bottom = placement.rcNormalPosition.bottom;
    values.showCmd = static_cast<int>(placement.showCmd);
    values.flags = static_cast<int>(placement.flags);
    text = FormatPlacement(values);
    return true;
}
