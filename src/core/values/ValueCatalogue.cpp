#include "core/values/ValueCatalogue.h"

#include <array>
#include <cstdio>

namespace {

struct TypeRow {
    int code;
    const char* name;
};

constexpr std::array<TypeRow, 35> kTypes{{
    {0, "mixed"},         {1, "boolean"},      {2, "guid"},
    {4, "byte"},          {5, "short"},        {6, "int"},
    {7, "long"},          {8, "real"},         {9, "float"},
    {10, "char"},         {11, "symbol"},      {12, "timestamp"},
    {13, "month"},        {14, "date"},        {15, "datetime"},
    {16, "timespan"},     {17, "minute"},      {18, "second"},
    {19, "time"},         {98, "table/flip"},  {99, "dictionary/keyed table"},
    {100, "lambda"},      {101, "unary primitive"}, {102, "binary primitive"},
    {103, "ternary (operator)"}, {104, "projection"}, {105, "composition"},
    {106, "f'"},          {107, "f/"},         {108, "f\\"},
    {109, "f':"},         {110, "f/:"},        {111, "f\\:"},
    {112, "dynamic load"}, {128, "signal"},
}};

// Indexed by the row position of the first 19 rows above.
constexpr char kLetters[] = " bgxhijefcspmdznuvt";

} // namespace

QString ValueCatalogue::typeName(int type)
{
    const int code = type < 0 ? -type : type;
    for (const TypeRow& row : kTypes) {
        if (row.code == code) {
            QString name = QString::fromUtf8(row.name);
            if (type < 0)
                name += QStringLiteral(" (Scalar)");
            return name;
        }
    }
    return QStringLiteral("enumerated");
}

QString ValueCatalogue::typeLetter(int type)
{
    for (std::size_t row = 1; row < sizeof kLetters - 1; ++row)
        if (kTypes[row].code == type)
            return QString(QLatin1Char(kLetters[row]));
    return {};
}

char ValueCatalogue::attributeLetter(int code)
{
    static constexpr char kAttr[11] = {0, 's', 'u', 'p', 'g', '5', '6', '7', '8', '9', 0};
    return code >= 0 && code < 11 ? kAttr[code] : 0;
}

QString ValueCatalogue::attributeName(QChar letter)
{
    switch (letter.unicode()) {
    case 0: return QStringLiteral("none");
    case 'g': return QStringLiteral("grouped");
    case 'p': return QStringLiteral("parted");
    case 's': return QStringLiteral("sorted");
    case 'u': return QStringLiteral("unique");
    default: return {};
    }
}

QString ValueCatalogue::sizeText(qint64 bytes)
{
    if (bytes < 0)
        return QStringLiteral("Unknown");
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB", "ZB", "YB"};
    double value = static_cast<double>(bytes);
    int divisions = 0;
    while (value > 1024 && divisions < 8) {
        value /= 1024;
        ++divisions;
    }
    char text[64];
    if (divisions == 0)
        std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
    else
        std::snprintf(text, sizeof text, "~%.5g%s", value, kUnits[divisions - 1]);
    return QString::fromLatin1(text);
}
