// The application object: start-up in its fixed order and the message loop.
#pragma once

namespace lumivex {

// Sets the settings location (organisation "Corvanes", application "Lumivex"), creates and
// shows the main window, builds the profile list, puts "Ready" into status pane 0 and runs the
// event loop. Command-line arguments are not used. Returns the exit code.
int RunApplication(int argc, char** argv);

}  // namespace lumivex
