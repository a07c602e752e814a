#pragma once
// The program's private window messages, numbered in one place so that no
// two windows ever give one number two meanings.
#include <windows.h>

namespace tessivar {

// Posted to the preview with a picture's result (lparam: the PictureResult).
inline constexpr UINT kPictureArrived = WM_APP + 17;
// The preview's next step of filling its control.
inline constexpr UINT kRenderStep = WM_APP + 18;
// A preview control no longer shown, to be destroyed (lparam: the control).
inline constexpr UINT kRetire = WM_APP + 19;
// An owned window, made after start-up, asks its owner for its place: the
// one the user left it in, else beside the owner (lparam: the window). The
// answer is one of these.
inline constexpr UINT kOwnedWindowMade = WM_APP + 20;
enum OwnedWindowPlace : LRESULT { kPlaceNotKept, kPlaceKept, kPlaceKeptMaximized };
// An owned window is shown again (lparam: the window): its owner may move
// it beside itself once more.
inline constexpr UINT kOwnedWindowShown = WM_APP + 25;
// An owned window was moved or sized (lparam: the window).
inline constexpr UINT kOwnedWindowMoved = WM_APP + 21;
// The main window shows another tab (wparam: its index), told to each
// window it owns: the layouts window follows it.
inline constexpr UINT kTabShown = WM_APP + 22;
// Either description pane of the main window changed, told to each window
// it owns: the preview follows them.
inline constexpr UINT kPanesChanged = WM_APP + 23;
// A save behind the main window has ended, posted to it.
inline constexpr UINT kKeptBehind = WM_APP + 24;

}  // namespace tessivar
