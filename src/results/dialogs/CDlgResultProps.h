// "Result properties": one kept result's instance, time, query, roundtrip and
// size, read-only.
#pragma once

#include "results/grid/CResultInfo.h"

#include <QDialog>

class CDlgResultProps : public QDialog {
    Q_OBJECT
public:
    explicit CDlgResultProps(const CResultInfo& record, QWidget* parent = nullptr);
};
