// ThreadSanitizer suppressions built into images_tests, so the test runs
// clean under the plain TSAN_OPTIONS of scripts/test.sh. Only races inside
// uninstrumented system code whose own locks ThreadSanitizer cannot see are
// listed; never our code.
//
// tzset_internal: every local-time conversion (QDateTime::currentDateTime,
// reached through NowDays when a record is made) calls tzset(), which
// re-reads TZ under glibc's internal tzset_lock. Adding threads make records
// at the same time, and the lock is invisible to the sanitizer.
extern "C" const char *__tsan_default_suppressions();
extern "C" const char *__tsan_default_suppressions()
{
    return "race:tzset_internal\n";
}
