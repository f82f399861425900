# Our small stand-in for the MFC classes the system is built on. Windows only.
set(FRAMEWORK_WIN_SOURCES
  framework/WinApp.cpp
  framework/Wnd.cpp
  framework/Dialog.cpp
  framework/BrowserHost.cpp
  framework/HtmlDialog.cpp
  framework/FrameWnd.cpp
  framework/HtmlView.cpp
  framework/UiPost.cpp
)
