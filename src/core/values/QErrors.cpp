#include "core/values/QErrors.h"

#include <array>

namespace {

struct Entry {
    const char* key;
    const char* text;
};

// Texts are UTF-8; non-ASCII characters are written as escapes so that every
// compiler reads the source the same way.
constexpr std::array<Entry, QErrors::count> kEntries{{
    {"'", "error while parsing expression (invalid syntax)"},
    {"Q7", "nyi op on file nested array"},
    {"Mlim", "more than 999 nested columns in splayed tables"},
    {"[", "opening [ without matching closing ] "},
    {"]", "closing ] without matching opening [ "},
    {"(", "opening ( without matching closing ) "},
    {")", "closing ) without matching opening ( "},
    {"{", "opening { without matching closing } "},
    {"}", "closing } without matching opening { "},
    {"\"", "opening \" without matching closing \" "},
    {"arch", "attempt to load a file written with the other byte order (endianness)"},
    {"access", "attempt to read files above the directory, run system commands or bad user/password"},
    {"accp", "tried to accept an incoming TCP/IP connection but failed"},
    {"adict", "blocked assignment to a whole dictionary (d[::]:x is nyi)"},
    {"snd", "failed to send a message on the handle (connection lost or socket error)"},
    {"rcv", "failed to receive a message on the handle (connection lost or socket error)"},
    {"assign", "attempt to reuse (assign to a variable named same as) a reserved word"},
    {"badtail", "incomplete transaction at end of file, get good (count;length) with\xc2\xa0-11!(-2;`:file)"},
    {"bad lambda", "lambda from another version of q that no longer parses (usually sent via IPC)"},
    {"binary mismatch", "Wrong process for code profiler"},
    {"branch", "a branch (if;do;while;$[.;.;.]) jumps more than 255 byte codes away (split the function)"},
    {"can't", "only commercially licensed instances can encrypt code in a script"},
    {"cast", "value you trying to cast to enumeration is not present in it (usually symvector needs extending with new value)"},
    {"char", "invalid character (usually a stray control or non-ASCII character in the text)"},
    {"close", "(1) content-length header missing from HTTP response\n(2) handle: n \xe2\x80\x93 handle was closed by the remote while a msg was expected"},
    {"con", "qcon client is not supported when the instance runs in multithreaded input mode"},
    {"conn", "too many incoming connections (1022 max)"},
    {"cond", "even number of arguments to $[;;] (a conditional needs an odd count)"},
    {"Could not initialize ssl", "(-26!)[] found SSL/TLS not enabled"},
    {"constants", "too many constants in one function (max 96)"},
    {"cores", "the license is for fewer cores than the machine has"},
    {"cpu", "the license is for fewer CPUs than the machine has"},
    {"d8", "The log had a partial transaction at the end but q couldn\xe2\x80\x99t truncate the file"},
    {"decompression error at block [b] in", "a block of a compressed file could not be decompressed (usually the file is corrupt)"},
    {"domain", "out of domain"},
    {"dup", "duplicate column name in a table"},
    {"dup names for cols/groups", "select or exec with the same name for a column and a by group"},
    {"elim", "more than 57 distinct enumerations"},
    {"empty", "the paths listed in par.txt hold no partitions"},
    {"enable secondary threads via cmd line -s only", "secondary threads must be started with -s on the command line before they can be changed"},
    {"encryption lib unavailable", "the OpenSSL library needed for encryption could not be loaded"},
    {"expected response", "a one-shot request did not get the response it expected"},
    {"Failed to load TLS certificates", "TLS was started without usable certificate files (check KX_SSL_CERT_FILE and KX_SSL_KEY_FILE)"},
    {"exp", "expression too large to evaluate"},
    {"from", "badly formed select statement"},
    {"glim", "`g# limit reached (too many concurrent grouped attributes)"},
    {"hop", "opening a handle failed (the message from the OS follows)"},
    {"hwr", "handle write error (usually writing to a handle inside peach)"},
    {"IJS", "key type of the right argument of ij/lj is not supported (key it by a table)"},
    {"globals", "too many global variables referenced in one function (max 110)"},
    {"host", "unlicensed host"},
    {"insert", "attempt to insert a record with an existing key into a keyed table (use upsert to update if exists)"},
    {"k4.lic", "license file k4.lic not found (check QHOME and QLIC)"},
    {"length", "incompatible lengths (different lengths of operands for synchronized operation or table columns lengths are not the same"},
    {"limit", "tried to generate a list with more than 2,000,000,000 elements (keep in mind that any IPC result is a byte list, hence can't be longer than 2 metric Gb)"},
    {"locals", "too many local variables in one function (max 110)"},
    {"loop", "dependency loop (usually views defining each other)"},
    {"load", "not a data file"},
    {"main thread only", "only the main thread may do this"},
    {"mismatch", "columns that can't be aligned for R,R or K,K (usually update/insert doesn't match table schema)"},
    {"mq", "multithreading not allowed here"},
    {"name too long", "Filepath \xe2\x89\xa5" "100 chars (until V3.6 2018.09.26)"},
    {"need zlib to compress", "zlib is not available, so files cannot be compressed"},
    {"noamend", "cannot change global state from within an amend"},
    {"no append to zipped enums", "cannot append to a compressed enumeration file"},
    {"no `g#", "a thread other than the main thread tried to add a grouped attribute"},
    {"noupdate", "updates are blocked (started with -b, or a global assignment inside peach)"},
    {"nosocket", "sockets can only be opened or used on the main thread"},
    {"nyi", "not yet implemented"},
    {"os", "operating system error"},
    {"par", "unsupported operation on a partitioned table or a part of one"},
    {"params", "too many parameters (max 8)"},
    {"parse", "invalid syntax"},
    {"part", "something wrong with the partitions of the database (or med over partitions or segments)"},
    {"path too long", "file path is too long"},
    {"pl", "peach can't handle parallel lambdas (2.3 only)"},
    {"PKCS5_PBKDF2_HMAC", "deriving the encryption key from the password failed"},
    {"pwuid", "the OS lacks the libraries for getpwuid (usually a 32-bit q on a 64-bit OS)"},
    {"rank", "invalid rank or valence (usually attempt to call a function with more parameters than it accepts)"},
    {"rb", "a blocking read failed"},
    {"restricted", "access is restricted in an instance started with -b or -u"},
    {"s-fail", "invalid attempt to set the sorted attribute (the list is not sorted)"},
    {"splay", "nyi op on splayed table"},
    {"srv", "attempt to use a client-only license in server mode"},
    {"stack", "ran out of stack space (usually recursion went wild)"},
    {"step", "attempt to upsert a step dictionary in place"},
    {"stop", "User interrupt(ctrl-c) or time limit (-T) (usually query is too heavy for timeout defined on the instance)"},
    {"stype", "invalid type used to signal"},
    {"sys", "a system call failed or is not allowed"},
    {"threadview", "a view can only be calculated on the main thread"},
    {"type", "wrong type"},
    {"timeout", "opening a handle timed out"},
    {"TLS not enabled", "a TLS connection came in but the instance was not started with -E 1 or -E 2"},
    {"too many syms", "the symbol pool is full (about 1.4 billion interned symbols)"},
    {"trunc", "The log had a partial transaction at the end but q couldn\xe2\x80\x99t truncate the file."},
    {"type/attr error amending file", "amending this file on disk is not allowed for its type or attribute"},
    {"u-fail", "invalid attempt to set the unique attribute (the list has duplicates)"},
    {"upd", "function upd is not defined (usually while replaying a log with -11!) or license error"},
    {"user", "unlicensed user"},
    {"unmappable", "every column of a saved partition must be mappable (no nested mixed lists)"},
    {"unrecognized key format", "the encryption key file is not in a known format"},
    {"utf8", "a websocket text message must be UTF-8"},
    {"value", "no value"},
    {"vd1", "attempted multithreaded update"},
    {"view", "trying to re-assign a view (alias defined with ::) to something else"},
    {"wha", "invalid system date (license check)"},
    {"wsfull", "malloc failed. ran out of swap (or addressability on 32bit). or hit -w limit."},
    {"wsm", "alias for nyi wrt wsum prior to 3.2"},
}};

} // namespace

std::string_view QErrors::key(int i)
{
    return i >= 0 && i < count ? std::string_view(kEntries[static_cast<std::size_t>(i)].key) : std::string_view();
}

std::string QErrors::explainUtf8(std::string_view error)
{
    for (const Entry& entry : kEntries)
        if (error == entry.key)
            return entry.text;
    if (error.find(' ') != std::string_view::npos)
        return "user-defined signal";
    // q signals an undefined name with the name itself.
    std::string text = "attempt to use variable ";
    text += error;
    text += " without defining/assigning first (or user-defined signal)";
    return text;
}

QString QErrors::explain(const QString& error)
{
    return QString::fromStdString(explainUtf8(error.toStdString()));
}
