#pragma once

// Stand-ins for the desktop services the program was designed around: the
// settings file, sound and music, the help viewer, message boxes and file
// dialogs behind wrappers that tests can preset, and window placement.
