#include <windows.h>

#include "app/Loriq3App.h"

// The one application object of the process.
static CLoriq3App theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunApplication(instance); }
