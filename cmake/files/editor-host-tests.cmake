# The editor driven through the built plug-in library as hosts drive it (tavo_editor_host_tests):
# on Linux a private Xvfb server with XTest input, on Windows a host window under Wine's null
# driver. Paths from the top of the tree.

set(editor_host_tests_shared
  tests/host/EditorHost.cpp
  tests/host/EditorHost.h)

set(TAVO_EDITOR_HOST_TESTS_LINUX
  ${editor_host_tests_shared}
  tests/host/EditorHost_test.cpp
  # The window helper's X test host: the Xvfb server and the host's own XCB connection.
  tests/support/platform/XTestHost.cpp
  tests/support/platform/XTestHost.h)
set(TAVO_EDITOR_HOST_TESTS_WINDOWS
  ${editor_host_tests_shared}
  tests/host/EditorHostWindows_test.cpp)

# tavo_gui only for the X test host's keyboard map; the plug-in itself is loaded from its library.
set(TAVO_EDITOR_HOST_TESTS_LINUX_LIBS tavo_gui xcb xcb-xtest xcb-xfixes)
set(TAVO_EDITOR_HOST_TESTS_WINDOWS_LIBS user32 gdi32)

if(WIN32)
  tavo_note_listed(tests/host/EditorHost_test.cpp)
else()
  tavo_note_listed(tests/host/EditorHostWindows_test.cpp)
endif()
