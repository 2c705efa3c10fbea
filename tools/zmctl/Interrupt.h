// Ctrl-C, SIGTERM and SIGHUP for zmctl. A thread of its own takes the
// signals (every other thread has them blocked, so no MIDI stack's thread is
// interrupted mid-call) and raises a flag that every waiting loop checks:
// the command stops at the next check, lets the requests it queued leave,
// closes its ports and leaves no half-written file.
//
// One request to stop may arrive twice: `timeout` signals the command and
// then its whole process group, a shell may pass on what the terminal sent
// too. A repeat of the signal within kRepeatWindow of the first is that same
// request. A second signal after that ends the program at once, should a
// loop ever miss the flag; before it goes it names on stderr every request
// that did not leave the output port (see SetLastWords), so that the user
// knows what the box may have missed.
//
// SIGPIPE is ignored, so that writing to a closed output is an error the
// command reports.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

//! A repeat of the first signal within this time is the same request.
inline constexpr std::chrono::milliseconds kRepeatWindow{500};
//! How long a forced end lets the requests still queued leave.
inline constexpr std::chrono::milliseconds kForcedEndGrace{200};

//! Call first thing in main(), before any thread exists.
void InstallInterruptHandling();

//! The signal that asked the program to stop (SIGINT, SIGTERM, SIGHUP), or 0.
int PendingInterrupt() noexcept;

//! Throws CCommandError with status 128 + signal when one is pending.
void ThrowIfInterrupted();

//! What a forced end reports: `notSent` returns the requests that have not
//! left yet, as text; it is called on the signal thread, under a lock that
//! SetLastWords(nullptr) also takes, so clearing it waits for a call under
//! way. The owner of the ports sets it while they exist.
void SetLastWords(std::function<std::vector<std::string>()> notSent);
