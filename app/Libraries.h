// The process-wide libraries behind the windows. Each starts at its first
// need (a second call changes nothing), so that a start-up pays only for what
// it shows: a page process starts GDI+ first thing and the rest once its login
// background shows, a main window starts GDI+ with its skin, every other role
// starts GDI+ and the common controls at once.
#pragma once

// Registers the common controls' window classes (loading their DLL).
void StartCommonControls();
void StartGdiplus();
// OLE for the browser controls; false, after telling the player, when it
// cannot start.
bool StartOle();
// At the end of the process, once no browser is left: OLE and GDI+ go.
void StopLibraries();
