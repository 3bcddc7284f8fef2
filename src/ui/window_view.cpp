#include "window_view.h"

#include "main_window.h"
#include "recent_activity_window.h"

#include <QMessageBox>

namespace vantor {

int WindowView::ActivityFilterIndex() const
{
    return m_window ? m_window->recentActivity()->filterIndex() : -1;
}

QString WindowView::ActivityFilterText() const
{
    return m_window ? m_window->recentActivity()->filterText() : QString();
}

void WindowView::AppendActivityLine(const QString &line)
{
    if (m_window)
        m_window->recentActivity()->appendLine(line);
}

int WindowView::SelectedDevice() const
{
    return m_window ? m_window->selectedDevice() : -1;
}

void WindowView::ShowMessage(const QString &text)
{
    QMessageBox::information(m_window, QStringLiteral("Vantor"), text);
}

bool WindowView::Confirm(const QString &question)
{
    return QMessageBox::question(m_window, QStringLiteral("Vantor"), question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

} // namespace vantor
