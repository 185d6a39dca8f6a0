#pragma once

#include <QTabWidget>

namespace vorlin {

// The tab control of the four layer pages. Page controls are placed relative to the tab
// control's own corner, tab strip included, so the window needs to know where a page starts
// inside it before the window is first shown.
class LayerTabs : public QTabWidget {
    Q_OBJECT

public:
    explicit LayerTabs(QWidget *parent = nullptr);

    // Where the pages' top-left corner lies inside the tab control, by the same style rule
    // QTabWidget uses when it lays itself out (it only does so once visible).
    QPoint PageOffset() const;
};

} // namespace vorlin
