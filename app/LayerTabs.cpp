#include "app/LayerTabs.h"

#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace vorlin {

LayerTabs::LayerTabs(QWidget *parent) : QTabWidget(parent) {}

QPoint LayerTabs::PageOffset() const {
    ensurePolished();
    tabBar()->ensurePolished();
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).topLeft();
}

} // namespace vorlin
