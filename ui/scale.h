// SPDX-License-Identifier: GPL-3.0-or-later
// The scale under the report, drawn from the design's numbers: the bands of
// the index's classes, their boundaries and labels, and the marks where the
// boxes stand and at the desired weight. Screen readers hear it as a picture
// named for what it shows.
#pragma once

#include <QWidget>
#include <string>

#include "design/scale.h"

namespace ui {

class ScaleStrip : public QWidget {
    Q_OBJECT

public:
    // Boundaries written with the separator; shown as at start.
    ScaleStrip(const std::string& separator, QWidget* parent);

    void Show(const design::Strip& strip);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    design::Strip strip_;
};

}  // namespace ui
