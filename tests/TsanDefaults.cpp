// Linked into every test program of a ThreadSanitizer build, so that the
// options hold however the tests are started (CTest, by hand, a debugger).
// Only races inside uninstrumented system code, whose own synchronisation
// the sanitizer cannot see, are suppressed; never our code.

extern "C" const char* __tsan_default_options();
extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_options()
{
    return "halt_on_error=1 second_deadlock_stack=1";
}

// tzset_internal: every local-time conversion calls tzset(), which re-reads
// TZ under glibc's internal tzset_lock; threads that stamp records at the
// same time look racy because the lock is invisible.
//
// libcpp-httplib: the in-process test servers use the distribution's
// cpp-httplib, whose body lives in an uninstrumented shared library. Its
// thread pool hands requests over through atomics the sanitizer cannot see,
// so the interceptors it calls (memcmp, operator new) look racy.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:tzset_internal\n"
           "called_from_lib:libcpp-httplib.so\n"
           "race:libcpp-httplib.so\n";
}
