// Ctrl-C and SIGTERM for zmctl. A thread of its own takes the two signals
// (every other thread has them blocked, so no MIDI stack's thread is
// interrupted mid-call) and raises a flag that every waiting loop checks:
// the command stops at the next check, closes its ports and leaves no
// half-written file. A second signal ends the program at once, should a
// loop ever miss the flag. SIGPIPE is ignored, so that writing to a closed
// output is an error the command reports.
#pragma once

//! Call first thing in main(), before any thread exists.
void InstallInterruptHandling();

//! The signal that asked the program to stop (SIGINT, SIGTERM), or 0.
int PendingInterrupt() noexcept;

//! Throws CCommandError with status 128 + signal when one is pending.
void ThrowIfInterrupted();
