// Whether this build runs under a sanitizer: GCC says so with __SANITIZE_ADDRESS__ and __SANITIZE_THREAD__,
// clang (before version 17) only through __has_feature. MURMEX_UNDER_ASAN and MURMEX_UNDER_TSAN are 1 under
// AddressSanitizer and ThreadSanitizer, and 0 otherwise.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define MURMEX_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MURMEX_UNDER_ASAN 1
#endif
#endif
#ifndef MURMEX_UNDER_ASAN
#define MURMEX_UNDER_ASAN 0
#endif

#if defined(__SANITIZE_THREAD__)
#define MURMEX_UNDER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define MURMEX_UNDER_TSAN 1
#endif
#endif
#ifndef MURMEX_UNDER_TSAN
#define MURMEX_UNDER_TSAN 0
#endif
