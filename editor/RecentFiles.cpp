// SPDX-License-Identifier: MIT
#include "editor/RecentFiles.h"

#include "engine/Ansi.h"
#include "engine/Mnemonic.h"

#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

const QString RecentEmpty = QStringLiteral("(пусто)");
const QString RecentKey = QStringLiteral("recentFiles");

constexpr int RecentCount = 8;

} // namespace

void AddRecentFile(const std::string& path)
{
    QSettings settings;
    QStringList recent = settings.value(RecentKey).toStringList();
    const QString full = QFileInfo(FromNativePath(path)).absoluteFilePath();
    recent.removeAll(full);
    recent.prepend(full);
    while (recent.size() > RecentCount)
        recent.removeLast();
    settings.setValue(RecentKey, recent);
}

void FillRecentMenu(QMenu* menu, const std::function<void(const std::string&)>& open)
{
    menu->clear();
    const QStringList recent = QSettings().value(RecentKey).toStringList();
    for (int i = 0; i < recent.size(); ++i) {
        QAction* action = menu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(MarkedFromShown(QFileInfo(recent[i]).fileName())));
        action->setToolTip(recent[i]);
        action->setStatusTip(recent[i]);
        const std::string path = ToNativePath(recent[i]);
        QObject::connect(action, &QAction::triggered, menu, [open, path] { open(path); });
    }
    if (recent.isEmpty())
        menu->addAction(RecentEmpty)->setEnabled(false);
}
