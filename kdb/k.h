// The kdb+ client library: K values in kdb+'s public object layout and the
// published C calls (constructors, reference counting, serialisation, IPC).
// No Qt here: this library is usable from any thread and any program.
#pragma once

#include <cstdint>

typedef char* S;
typedef char C;
typedef unsigned char G;
typedef short H;
typedef int I;
typedef long long J;
typedef float E;
typedef double F;
typedef void V;
struct U { G g[16]; };

// The public object layout: m and a are the library's own, t the type,
// u the attribute, r the reference count (0 = one owner), then the atom or
// the count n followed by the items.
struct k0 {
    signed char m, a, t;
    C u;
    I r;
    union {
        G g;
        H h;
        I i;
        J j;
        E e;
        F f;
        S s;
        struct k0* k;
        J n;
    };
};
typedef struct k0* K;

// Items start right after the count. Accessed through pointer arithmetic, not a
// G0[1] member, so that bounds checkers see no out-of-range array index.
#define kG(x) (reinterpret_cast<G*>(reinterpret_cast<char*>(x) + 16))
#define kC(x) (reinterpret_cast<C*>(kG(x)))
#define kU(x) (reinterpret_cast<U*>(kG(x)))
#define kS(x) (reinterpret_cast<S*>(kG(x)))
#define kH(x) (reinterpret_cast<H*>(kG(x)))
#define kI(x) (reinterpret_cast<I*>(kG(x)))
#define kJ(x) (reinterpret_cast<J*>(kG(x)))
#define kE(x) (reinterpret_cast<E*>(kG(x)))
#define kF(x) (reinterpret_cast<F*>(kG(x)))
#define kK(x) (reinterpret_cast<K*>(kG(x)))

// Type codes.
enum : int {
    KB = 1, UU = 2, KG = 4, KH = 5, KI = 6, KJ = 7, KE = 8, KF = 9, KC = 10, KS = 11,
    KP = 12, KM = 13, KD = 14, KZ = 15, KN = 16, KU = 17, KV = 18, KT = 19,
    XT = 98, XD = 99, SD = 127,
    KLAMBDA = 100, KUNARY = 101, KBINARY = 102, KTERNARY = 103, KPROJECTION = 104,
    KCOMPOSITION = 105, KEACH = 106, KOVER = 107, KSCAN = 108, KPRIOR = 109,
    KEACHRIGHT = 110, KEACHLEFT = 111, KDYNLOAD = 112,
    KERR = -128
};

// Nulls and infinities.
// Constants rather than macros (as in kdb+'s k.h) so that the names stay
// usable as local names in other headers (Qt's among them).
inline constexpr H nh = static_cast<H>(-32768);
inline constexpr H wh = static_cast<H>(32767);
inline constexpr I ni = static_cast<I>(INT32_MIN);
inline constexpr I wi = static_cast<I>(INT32_MAX);
inline constexpr J nj = static_cast<J>(INT64_MIN);
inline constexpr J wj = static_cast<J>(INT64_MAX);

// Layout of the items of a list: kG(x) .. kG(x) + n * kItemSize(t).
// Types with K items: 0, 99, 100, 104, 105 (n items) and 77..97.
//
// How each kind of value is held (as d9 produces it and b9 expects it):
//   atoms -1..-19      the value in g, h, i, j, e, f or s (a guid atom: n = 1,
//                      the 16 bytes at kU(x)[0]); u is 0
//   vectors 1..19      u the attribute (0 none, 1 s, 2 u, 3 p, 4 g), n items
//   0 general list     n K items; 77..97 (mapped lists of lists) the same,
//                      and they are written as general lists
//   20..76 enumeration n long indices; -20..-76 an index in j. kdb+ turns
//                      enumerations into symbols before sending, so these
//                      only travel with b9 mode 1 (other modes refuse them)
//   98 table           x->k the dictionary (symbol names; general list of
//                      columns of one length); u the attribute
//   99 dictionary, 127 sorted dictionary
//                      n = 2 K items: keys, values (a keyed table: two tables)
//   100 lambda         n = 2: item 0 the namespace as a symbol atom, as kdb+
//                      sends it ("" for the root, "d" for .d: no leading dot),
//                      item 1 the source as a char vector
//   101..103 unary, binary, ternary primitives
//                      x->g the primitive's code; the generic null :: is
//                      101 with code 0; an elided argument of a projection
//                      (f[;2]) is 101 with code 255
//   104 projection     n K items: the function, then the arguments
//   105 composition    n K items: the functions
//   106..111 each, over, scan, each prior, each right, each left
//                      x->k the value the iterator applies to
//   112 dynamic load   x->k the value that follows it on the wire
//   -128 error         x->s the error text (an interned symbol)
J kItemSize(I t);
bool kHasKItems(I t);

// Constructors (kdb+'s C API).
K ka(I t);
K kb(I);
K ku(U);
K kg(I);
K kh(I);
K ki(I);
K kj(J);
K ke(F);
K kf(F);
K kc(I);
K ks(const char*);
K kd(I);
K kz(F);
K kt(I);
K ktj(I t, J);
K kp(const char*);
K kpn(const char*, J);
K ktn(I t, J n);
K knk(I n, ...);
K xT(K dict);
K xD(K keys, K values);
K ktd(K keyedTable);
K ja(K*, V*);
K js(K*, S);
K jk(K*, K);
K jv(K*, K);
K krr(const char*);
K orr(const char*);
K ee(K);
K dot(K, K);

// Interned symbols: ss returns the one pointer for that text; the pointers live
// for the whole program.
S ss(const char*);
S sn(const char*, I n);

// Reference counting; atomic, so a value may be released on any thread.
K r1(K);
V r0(K);
V m9();

// Dates: ymd gives the days since 2000.01.01, dj the inverse as yyyymmdd.
I ymd(I y, I m, I d);
I dj(I days);

// Serialisation. b9 mode 3 (and -1) writes an IPC message (header included) as a
// byte vector; d9 reads one. okx checks that a byte vector holds one whole message.
K b9(I mode, K);
K d9(K);
I okx(K);

// IPC. khpunc returns a handle > 0, 0 when the credentials were refused,
// -1 refused or unreachable, -2 time-out, -3 TLS set-up failure.
// Capability bit 1: messages over 2 GB; bit 2: TLS.
I khp(const char* host, I port);
I khpu(const char* host, I port, const char* usrpwd);
I khpun(const char* host, I port, const char* usrpwd, I timeoutMs);
I khpunc(const char* host, I port, const char* usrpwd, I timeoutMs, I capability);
V kclose(I handle);
// k(h, text, args..., (K)0): sync (h > 0) or async (h < 0) query; with
// arguments the message is the general list (text; args...). The arguments
// are consumed (released) in every case. Sync: the reply (type -128 for a q
// error). Async: a generic null (::) once sent. Either: null when the
// connection is gone (then kclose it); an error value when the message cannot
// be serialised. k(h, (S)0): wait for the next message on h.
// sslInfo(0): a dictionary of the TLS client settings, or null when they
// cannot be applied (ee() then gives the reason).
K k(I handle, const char* query, ...);
K sslInfo(K);

// TLS client settings, modelled on kdb+'s environment variables. They are read
// from the environment (SSL_VERIFY_SERVER=NO, SSL_CA_CERT_FILE, SSL_CA_CERT_PATH,
// SSL_CERT_FILE, SSL_KEY_FILE, SSL_CIPHER_LIST) on first use, unless set here
// before. Changes apply to the next TLS connection.
#include <string>
namespace kdb {
struct TlsClientSettings {
    bool verifyServer = true;  // check the server's certificate chain and name
    std::string caCertFile;    // trusted CAs (PEM); empty: the system's defaults
    std::string caCertPath;    // folder of hashed CA certificates
    std::string certFile;      // optional client certificate (PEM), used with keyFile
    std::string keyFile;       // its private key
    std::string cipherList;    // OpenSSL cipher list for TLS 1.2 and below
};
TlsClientSettings tlsClientSettings();
void setTlsClientSettings(const TlsClientSettings& settings);
TlsClientSettings tlsClientSettingsFromEnvironment();
} // namespace kdb
