// fasttls.h - VESK_FASTTLS marks thread-local state read on hot paths: in a shared library on
// ELF systems it is kept in the static model of thread-local storage, reached without a call
// into the dynamic loader. Elsewhere it marks nothing.
#pragma once

#if defined(__ELF__)
#define VESK_FASTTLS __attribute__((tls_model("initial-exec")))
#else
#define VESK_FASTTLS
#endif
