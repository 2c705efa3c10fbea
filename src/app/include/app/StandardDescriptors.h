// Standard descriptors that are closed at start (a shell's <&-, >&-, 2>&-)
// are taken again before anything opens a file: otherwise the first files
// the program opens (a font, the settings file, a MIDI system's shared
// files) would become descriptors 0-2 and receive whatever Qt or a library
// writes to standard error.
#pragma once

//! Reopens each closed descriptor of 0-2 on /dev/null, the other way round
//! (standard input for writing, the outputs for reading), so that using it
//! still fails as it did while closed. Call first thing in main().
void ReopenClosedStandardDescriptors() noexcept;
