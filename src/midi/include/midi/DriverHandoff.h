// Objects that a MIDI stack's own thread calls back into are handed over
// through uninstrumented libraries (RtMidi, libjack), whose synchronisation
// ThreadSanitizer cannot see. These two calls state the hand-over so that
// the sanitizer checks our code only; they compile to nothing otherwise.
#pragma once

#if defined(__SANITIZE_THREAD__)
#define ZM_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ZM_TSAN 1
#endif
#endif

#ifdef ZM_TSAN
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

//! Window thread: `object` is complete and may now be called back into.
inline void PublishToDriver([[maybe_unused]] void* object) noexcept
{
#ifdef ZM_TSAN
    __tsan_release(object);
#endif
}

//! Driver thread, on entry to a callback with `object`.
inline void AcceptFromDriver([[maybe_unused]] void* object) noexcept
{
#ifdef ZM_TSAN
    __tsan_acquire(object);
#endif
}
