#include "collision/collision_sha256.h"

#include <cstdio>
#include <cstdlib>

#ifdef CYCLE_BENCH_HAVE_LIBCRYPTO
#include <openssl/evp.h>

bool sha256Built() {
    return true;
}

namespace {

[[noreturn]] void cryptoFailed(const char* what) {
    std::fprintf(stderr, "cycle_bench: libcrypto failed in %s\n", what);
    std::exit(1);
}

// The one-shot SHA256() looks the digest up on every call, three times
// the cost of hashing 8 bytes: the digest is fetched once and each thread
// reuses one context, as a program hashing in a loop would.
const EVP_MD* sha256Digest() {
    static EVP_MD* digest = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    if (digest == nullptr) {
        cryptoFailed("EVP_MD_fetch");
    }
    return digest;
}

struct DigestContext {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    DigestContext() {
        if (context == nullptr) {
            cryptoFailed("EVP_MD_CTX_new");
        }
    }
    ~DigestContext() {
        EVP_MD_CTX_free(context);
    }
    DigestContext(const DigestContext&) = delete;
    DigestContext& operator=(const DigestContext&) = delete;
};

} // namespace

uint64_t sha256Low(uint64_t x) {
    static const EVP_MD* digest = sha256Digest();
    thread_local DigestContext mine;
    unsigned char in[8];
    for (int i = 0; i < 8; i++) {
        in[i] = static_cast<unsigned char>(x >> (8 * i));
    }
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestInit_ex2(mine.context, digest, nullptr) != 1 ||
        EVP_DigestUpdate(mine.context, in, sizeof in) != 1 ||
        EVP_DigestFinal_ex(mine.context, out, &length) != 1) {
        cryptoFailed("the SHA-256 digest");
    }
    uint64_t low = 0;
    for (int i = 0; i < 8; i++) {
        low |= static_cast<uint64_t>(out[i]) << (8 * i);
    }
    return low;
}

#else

bool sha256Built() {
    return false;
}

uint64_t sha256Low(uint64_t) {
    std::fprintf(stderr, "cycle_bench: built without libcrypto: no sha256 function\n");
    std::exit(1);
}

#endif
