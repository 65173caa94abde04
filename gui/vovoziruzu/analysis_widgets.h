#pragma once

// The pieces the analysis windows share: read-only tables that show the
// core's tables, chart views, and a chart as PNG bytes.

#include <QByteArray>
#include <QString>
#include <initializer_list>

#include "core/analysis/table.h"

class QChartView;
class QTableWidget;
class QWidget;

namespace vz::gui {

QTableWidget* makeTable(QWidget* parent, const char* name);

// Shows the core's tables one after another in one widget: the labels, then
// each period's columns side by side; a heading row holds its label alone.
// Numbers are right-aligned.
void showTables(QTableWidget* widget, const QString& labelHeader,
                std::initializer_list<const analysis::Table*> tables);

QChartView* makeChartView(QWidget* parent, const char* name);

QByteArray pngOf(QChartView* view);

}  // namespace vz::gui
