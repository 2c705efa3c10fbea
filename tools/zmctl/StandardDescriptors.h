// Standard descriptors that are closed at start (a shell's <&-, >&-, 2>&-)
// are taken again before anything opens a file: otherwise the first files
// opened (libjack's shared metadata database among them) would become
// descriptors 0-2 and receive the program's results and messages.
#pragma once

//! Reopens each closed descriptor of 0-2 on /dev/null, the other way round
//! (standard input for writing, the outputs for reading), so that using it
//! still fails as it did while closed: results that cannot be written end
//! the command with status 6. Call first thing in main().
void ReopenClosedStandardDescriptors() noexcept;
