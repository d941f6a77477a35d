// Which column kinds a chart can use, and how their items read as numbers and
// print as axis labels.
#pragma once

#include "core/values/RenderOptions.h"

#include "kdb/k.h"

#include <QString>

#include <cstdint>

class ChartKinds {
public:
    // May be a series: byte, short, int, long, real, float.
    static bool isYable(int type);
    // May be the X axis: the Y-able kinds and the temporal ones.
    static bool isXable(int type);
    // Nanoseconds in one unit of a temporal column, 0 for plain numbers (month
    // counts as a plain number).
    static std::int64_t nanosPerUnit(int type);
    // Whether the column's items are whole numbers of their unit.
    static bool isIntegral(int type);

    // Item i of a list as a double: integer nulls and infinities at their raw
    // value, real and float nulls as NaN; -1 for other kinds or i out of range.
    static double valueAt(K column, long long i);

    // x converted to an atom of the list type and printed as console text.
    static QString atomText(int type, double x, const RenderOptions& options);
    // "%.<digits>g" of y.
    static QString numberText(double y, int digits);
};

// A fast reader of one list column as doubles, for the drawing loops.
class ColumnReader {
public:
    explicit ColumnReader(K column) : m_type(column ? column->t : 0), m_n(column ? column->n : 0)
    {
        m_data = column && m_type > 0 && m_type < 20 ? kG(column) : nullptr;
        if (!m_data)
            m_n = 0;
    }
    long long size() const { return m_n; }
    double operator[](long long i) const
    {
        if (i < 0 || i >= m_n)
            return -1;
        switch (m_type) {
        case KB: case KG: return reinterpret_cast<const unsigned char*>(m_data)[i];
        case KH: return reinterpret_cast<const std::int16_t*>(m_data)[i];
        case KI: case KM: case KD: case KU: case KV: case KT: return reinterpret_cast<const std::int32_t*>(m_data)[i];
        case KJ: case KP: case KN: return double(reinterpret_cast<const std::int64_t*>(m_data)[i]);
        case KE: return reinterpret_cast<const float*>(m_data)[i];
        case KF: case KZ: return reinterpret_cast<const double*>(m_data)[i];
        default: return -1;
        }
    }

private:
    int m_type;
    long long m_n;
    const void* m_data;
};
