#pragma once

// Clang thread-safety attributes. Other compilers see nothing; an optional Clang build with -Wthread-safety checks
// that every TALVO_GUARDED_BY member is touched only with its mutex held.

#if defined(__clang__)
#define TALVO_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define TALVO_THREAD_ANNOTATION(x)
#endif

#define TALVO_CAPABILITY(name) TALVO_THREAD_ANNOTATION(capability(name))
#define TALVO_SCOPED_CAPABILITY TALVO_THREAD_ANNOTATION(scoped_lockable)
#define TALVO_GUARDED_BY(mutex) TALVO_THREAD_ANNOTATION(guarded_by(mutex))
#define TALVO_PT_GUARDED_BY(mutex) TALVO_THREAD_ANNOTATION(pt_guarded_by(mutex))
#define TALVO_REQUIRES(...) TALVO_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define TALVO_ACQUIRE(...) TALVO_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define TALVO_RELEASE(...) TALVO_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define TALVO_EXCLUDES(...) TALVO_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define TALVO_NO_THREAD_SAFETY_ANALYSIS TALVO_THREAD_ANNOTATION(no_thread_safety_analysis)
