// The host program exports its symbols, so the module library it loads binds
// to the host's copy of the platform (one screen, one class registry per
// process). Both copies still register their globals with AddressSanitizer;
// level 1 reports only definitions that really differ (in size), not the
// second registration of the same one.
#if defined(__SANITIZE_ADDRESS__) || defined(KTRB_SANITIZE)
extern "C" const char* __asan_default_options() {
    return "detect_odr_violation=1";
}
#endif
