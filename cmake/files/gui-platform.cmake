# The GUI toolkit's window seam per OS (support/platform/GuiWindow.h): the X11 child window, the
# Win32 child window, their dialogs and shell calls, and their tests. Paths from the top of the tree.

set(TAVO_GUI_PLATFORM_LINUX_FILES
  support/platform/linux/Dialogs.cpp
  support/platform/linux/GuiWindow.cpp
  support/platform/linux/GuiWindowCursor.cpp
  support/platform/linux/GuiWindowCursor.h
  support/platform/linux/GuiWindowInput.cpp
  support/platform/linux/GuiWindowInput.h)

set(TAVO_GUI_PLATFORM_WINDOWS_FILES
  support/platform/windows/Dialogs.cpp
  support/platform/windows/GuiWindow.cpp
  support/platform/windows/GuiWindowInput.cpp
  support/platform/windows/GuiWindowInput.h)

set(TAVO_GUI_PLATFORM_LINUX_LIBS xcb xcb-render)
set(TAVO_GUI_PLATFORM_WINDOWS_LIBS user32 gdi32 comdlg32 shell32)

set(gui_platform_linux_tests
  tests/support/platform/DialogsLinux_test.cpp
  tests/support/platform/GuiWindowInput_test.cpp
  tests/support/platform/GuiWindowLinux_test.cpp
  tests/support/platform/TestWindowClient.h
  tests/support/platform/XTestHost.cpp
  tests/support/platform/XTestHost.h)
set(gui_platform_windows_tests
  tests/support/platform/GuiWindowWindows_test.cpp
  tests/support/platform/TestWindowClient.h)
# The Linux tests play the host on a connection of their own: XTest input, XFIXES cursor images.
set(TAVO_GUI_PLATFORM_TEST_LINUX_LIBS xcb xcb-xtest xcb-xfixes)

if(WIN32)
  set(TAVO_GUI_PLATFORM_TESTS ${gui_platform_windows_tests})
  tavo_note_listed(${gui_platform_linux_tests})
else()
  set(TAVO_GUI_PLATFORM_TESTS ${gui_platform_linux_tests})
  tavo_note_listed(${gui_platform_windows_tests})
endif()
