// K value construction, reference counting and interned symbols.
#include "kdb/k.h"
#include "kdb/kbounds.h"
#include "kdb/kerror.h"
#include "kdb/BlockPool.h"
#include "kdb/WireSizes.h"
#include "kdb/kalloc.h"

#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <unordered_set>

namespace {

constexpr std::size_t kHeader = 16;

// m = 1 marks a block of the thread pool, a its size class; m = 2 a shared
// atom that lives for the whole program (reference counting leaves it alone).
constexpr signed char kImmortal = 2;
// u of an error value that this library raised itself (a decoded q error has 0).
constexpr C kLocalErrorMark = 1;

// Out of memory: null when asked, else std::bad_alloc. The library never ends
// the process; the calls that take values from peers or files (k, d9, b9)
// turn the exception into an error value.
K allocate(std::size_t payload, bool zeroed = true, bool throwWhenOut = true)
{
    const std::size_t total = kHeader + payload;
    void* p;
    signed char pooled = 0, sizeClass = 0;
    if (total >= kdb::BlockPool::kSmallest) {
        sizeClass = static_cast<signed char>(kdb::BlockPool::classOf(total));
        p = kdb::BlockPool::take(sizeClass, zeroed);
        pooled = 1;
    } else {
        p = zeroed ? std::calloc(1, total) : std::malloc(total);
    }
    if (!p) {
        if (!throwWhenOut)
            return nullptr;
        throw std::bad_alloc();
    }
    if (!zeroed)
        std::memset(p, 0, kHeader);
    K x = static_cast<K>(p);
    x->m = pooled;
    x->a = sizeClass;
    return x;
}

// Resizes a value's block: a pool block grows within its capacity, then
// moves to a plain block.
K reallocate(K x, std::size_t payload)
{
    const std::size_t total = kHeader + payload;
    if (x->m == 1) {
        const std::size_t capacity = std::size_t(1) << x->a;
        if (total <= capacity)
            return x;
        K grown = static_cast<K>(std::malloc(total));
        if (!grown)
            throw std::bad_alloc(); // x is untouched
        std::memcpy(grown, x, capacity);
        grown->m = 0;
        grown->a = 0;
        kdb::BlockPool::give(x, x->a);
        return grown;
    }
    K grown = static_cast<K>(std::realloc(x, total));
    if (!grown)
        throw std::bad_alloc(); // x is untouched
    return grown;
}

void deallocate(K x)
{
    if (x->m == 1)
        kdb::BlockPool::give(x, x->a);
    else
        std::free(x);
}

// The symbol pool: interned texts never move and are never freed.
class SymbolPool {
public:
    S intern(std::string_view text)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_index.find(text);
        if (it != m_index.end())
            return const_cast<S>(it->data());
        std::string& stored = m_storage.emplace_back(text);
        m_index.insert(std::string_view(stored));
        return stored.data();
    }

private:
    std::mutex m_mutex;
    std::deque<std::string> m_storage;
    std::unordered_set<std::string_view> m_index;
};

SymbolPool& symbolPool()
{
    static SymbolPool pool;
    return pool;
}

} // namespace

J kItemSize(I t)
{
    // In memory a symbol is a pointer to its interned text and every other
    // item without a fixed wire size is a K pointer.
    if (t == KS)
        return static_cast<J>(sizeof(S));
    const J wire = kdb::wireItemSize(t);
    return wire > 0 ? wire : static_cast<J>(sizeof(K));
}

bool kHasKItems(I t)
{
    return t == 0 || t == XD || t == SD || t == KLAMBDA || t == KPROJECTION || t == KCOMPOSITION
        || (t >= 77 && t <= 97);
}

K ka(I t)
{
    K x = allocate(t == -UU ? 16 : 0);
    x->t = static_cast<signed char>(t);
    if (t == -UU)
        x->n = 1;
    return x;
}

K kb(I v) { K x = ka(-KB); x->g = v ? 1 : 0; return x; }
K ku(U v) { K x = ka(-UU); kU(x)[0] = v; return x; }
K kg(I v) { K x = ka(-KG); x->g = static_cast<G>(v); return x; }
K kh(I v) { K x = ka(-KH); x->h = static_cast<H>(v); return x; }
K ki(I v) { K x = ka(-KI); x->i = v; return x; }
K kj(J v) { K x = ka(-KJ); x->j = v; return x; }
K ke(F v) { K x = ka(-KE); x->e = static_cast<E>(v); return x; }
K kf(F v) { K x = ka(-KF); x->f = v; return x; }
K kc(I v) { K x = ka(-KC); x->g = static_cast<G>(v); return x; }
K ks(const char* v) { K x = ka(-KS); x->s = ss(v); return x; }
K kd(I v) { K x = ka(-KD); x->i = v; return x; }
K kz(F v) { K x = ka(-KZ); x->f = v; return x; }
K kt(I v) { K x = ka(-KT); x->i = v; return x; }
K ktj(I t, J v) { K x = ka(t); x->j = v; return x; }

K ktn(I t, J n)
{
    if (n < 0)
        n = 0;
    K x = allocate(static_cast<std::size_t>(n * kItemSize(t)));
    x->t = static_cast<signed char>(t);
    x->n = n;
    return x;
}

K kpn(const char* s, J n)
{
    K x = ktn(KC, n);
    if (n)
        std::memcpy(kG(x), s, static_cast<std::size_t>(n));
    return x;
}

K kp(const char* s) { return kpn(s, static_cast<J>(std::strlen(s))); }

K knk(I n, ...)
{
    K x = ktn(0, n);
    va_list args;
    va_start(args, n);
    for (I i = 0; i < n; ++i)
        kK(x)[i] = va_arg(args, K);
    va_end(args);
    return x;
}

K xD(K keys, K values)
{
    K x = ktn(XD, 2);
    kK(x)[0] = keys;
    kK(x)[1] = values;
    return x;
}

K xT(K dict)
{
    K x = ka(XT);
    x->k = dict;
    return x;
}

// Unkeys a keyed table (a dictionary of two tables) into one table; consumes x.
K ktd(K x)
{
    if (!x || x->t == XT)
        return x;
    if (x->t != XD || kK(x)[0]->t != XT || kK(x)[1]->t != XT) {
        r0(x);
        return krr("type");
    }
    K kd = kK(x)[0]->k, vd = kK(x)[1]->k;
    K kn = kK(kd)[0], kv = kK(kd)[1], vn = kK(vd)[0], vv = kK(vd)[1];
    K names = ktn(KS, kn->n + vn->n);
    K cols = ktn(0, kv->n + vv->n);
    for (J i = 0; i < kn->n; ++i) {
        kS(names)[i] = kS(kn)[i];
        kK(cols)[i] = r1(kK(kv)[i]);
    }
    for (J i = 0; i < vn->n; ++i) {
        kS(names)[kn->n + i] = kS(vn)[i];
        kK(cols)[kn->n + i] = r1(kK(vv)[i]);
    }
    r0(x);
    return xT(xD(names, cols));
}

K ja(K* x, V* item)
{
    J size = kItemSize((*x)->t);
    K grown = reallocate(*x, static_cast<std::size_t>(((*x)->n + 1) * size));
    std::memcpy(kG(grown) + grown->n * size, item, static_cast<std::size_t>(size));
    ++grown->n;
    *x = grown;
    return grown;
}

K js(K* x, S s)
{
    S interned = ss(s);
    return ja(x, &interned);
}

K jk(K* x, K item) { return ja(x, &item); }

K jv(K* x, K y)
{
    if ((*x)->t != y->t)
        return *x;
    J size = kItemSize((*x)->t);
    J n = (*x)->n;
    K grown = reallocate(*x, static_cast<std::size_t>((n + y->n) * size));
    std::memcpy(kG(grown) + n * size, kG(y), static_cast<std::size_t>(y->n * size));
    if (kHasKItems(grown->t))
        for (J i = 0; i < y->n; ++i)
            r1(kK(grown)[n + i]);
    grown->n = n + y->n;
    *x = grown;
    return grown;
}

S ss(const char* s) { return symbolPool().intern(s ? std::string_view(s) : std::string_view()); }

S sn(const char* s, I n)
{
    return symbolPool().intern(std::string_view(s, n > 0 ? static_cast<std::size_t>(n) : 0));
}

K krr(const char* text)
{
    // Intern first: text may be the last error itself (ee), which the next line replaces.
    K x = ka(KERR);
    x->s = ss(text ? text : "");
    kdb::setLastError(x->s);
    return x;
}

K kdb::localError(const char* text)
{
    K x = krr(text);
    x->u = kLocalErrorMark;
    return x;
}

bool kdb::isLocalError(K x) { return x && x->t == KERR && x->u == kLocalErrorMark; }

std::string kdb::tooLargeText(unsigned long long announcedBytes)
{
    return "reply too large for the memory available: " + std::to_string(announcedBytes) + " bytes announced";
}

K orr(const char* text)
{
    std::string full = std::string(text ? text : "") + ". OS reports: " + std::strerror(errno);
    return krr(full.c_str());
}

K ee(K x)
{
    if (x)
        return x;
    return kdb::localError(kdb::lastError().c_str());
}

K dot(K, K) { return krr("nyi"); }

K r1(K x)
{
    if (x && x->m != kImmortal)
        std::atomic_ref<I>(x->r).fetch_add(1, std::memory_order_relaxed);
    return x;
}

V r0(K x)
{
    if (!x || x->m == kImmortal)
        return;
    if (std::atomic_ref<I>(x->r).fetch_sub(1, std::memory_order_acq_rel) > 0)
        return;
    if (kHasKItems(x->t)) {
        for (J i = 0; i < x->n; ++i)
            r0(kK(x)[i]);
    } else if (x->t == XT || (x->t >= KEACH && x->t <= KDYNLOAD)) {
        r0(x->k);
    }
    deallocate(x);
}

V m9() { kdb::BlockPool::release(); }

K kdb::ktnUnset(I t, J n)
{
    if (n < 0)
        n = 0;
    K x = allocate(static_cast<std::size_t>(n * kItemSize(t)), false);
    x->t = static_cast<signed char>(t);
    x->n = n;
    return x;
}

K kdb::kaOrNull(I t)
{
    K x = allocate(t == -UU ? 16 : 0, true, false);
    if (!x)
        return nullptr;
    x->t = static_cast<signed char>(t);
    if (t == -UU)
        x->n = 1;
    return x;
}

namespace {
// One atom for each value of the one-byte kinds that replies repeat most:
// the generic null and the other primitives, booleans, bytes and chars.
struct SharedAtoms {
    static constexpr int kKinds = 6;
    static constexpr signed char kTypes[kKinds] = {KUNARY, KBINARY, KTERNARY, -KB, -KG, -KC};
    k0 atoms[kKinds][256];

    SharedAtoms()
    {
        std::memset(atoms, 0, sizeof atoms);
        for (int kind = 0; kind < kKinds; ++kind) {
            for (int code = 0; code < 256; ++code) {
                k0& x = atoms[kind][code];
                x.m = kImmortal;
                x.t = kTypes[kind];
                x.g = static_cast<G>(code);
            }
        }
    }
};

SharedAtoms& sharedAtoms()
{
    static SharedAtoms atoms;
    return atoms;
}
} // namespace

K kdb::sharedAtom(I t, G code)
{
    for (int kind = 0; kind < SharedAtoms::kKinds; ++kind) {
        if (SharedAtoms::kTypes[kind] == t)
            return &sharedAtoms().atoms[kind][code];
    }
    return nullptr;
}

bool kdb::isShared(K x) { return x && x->m == kImmortal; }

K kdb::ktnOrNull(I t, J n, bool zeroed)
{
    if (n < 0)
        n = 0;
    K x = allocate(static_cast<std::size_t>(n * kItemSize(t)), zeroed, false);
    if (!x)
        return nullptr;
    x->t = static_cast<signed char>(t);
    x->n = n;
    return x;
}
// Days from 2000.01.01, proleptic Gregorian (Howard Hinnant's civil algorithms).
I ymd(I y, I m, I d)
{
    y -= m <= 2;
    const I era = (y >= 0 ? y : y - 399) / 400;
    const I yoe = y - era * 400;
    const I doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const I doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 730425; // 730425 = days from 0000-03-01 to 2000-01-01
}

I dj(I days)
{
    J z = static_cast<J>(days) + 730425;
    const J era = (z >= 0 ? z : z - 146096) / 146097;
    const J doe = z - era * 146097;
    const J yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    J y = yoe + era * 400;
    const J doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const J mp = (5 * doy + 2) / 153;
    const J d = doy - (153 * mp + 2) / 5 + 1;
    const J m = mp + (mp < 10 ? 3 : -9);
    y += m <= 2;
    return static_cast<I>(y * 10000 + m * 100 + d);
}
