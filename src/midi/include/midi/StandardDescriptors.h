// Standard descriptors that are closed at start (a shell's <&-, >&-, 2>&-)
// are taken again before anything opens a file: otherwise the first files
// a program opens (libjack's shared metadata database, a font, the settings
// file) would become descriptors 0-2 and receive the program's results and
// whatever it or a library writes to standard error. zm_config and zmctl
// both call it first thing in main().
#pragma once

//! Reopens each closed descriptor of 0-2 on /dev/null, the other way round
//! (standard input for writing, the outputs for reading), so that using it
//! still fails as it did while closed (zmctl then ends with status 6).
void ReopenClosedStandardDescriptors() noexcept;
