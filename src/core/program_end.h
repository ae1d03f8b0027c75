#pragma once

class App;

// The program's one way out. Closing the main window, SIGTERM, Ctrl-C (SIGINT) and an exit()
// called from inside Qt (the X connection lost) all end here: the open work is finished as
// closing the window finishes it, the database is detached, the engine is shut down once and the
// process ends without running the exit handlers, which would shut the engine down a second time.
// A last-resort timer, armed before any of it starts, ends the process if the engine hangs.

// Call once the application object exists, and again after the engine has started (its client
// takes the signals over when it starts).
void installProgramEnd();
// The running program whose work the end finishes; nullptr while none is open. Set once it has
// attached: from then on exit() from anywhere ends here too.
void setProgramEndApp(App* app);
// Ends the process with `code` as above. Never returns.
[[noreturn]] void endProgram(int code);
