// The Device List editor (TDDEVLIST): names the analyzers and how each is
// reached. It edits the list for the next start; the running devices stay.
#pragma once

#include "editor_prompts.h"
#include "serial_port_offers.h"

#include <QDialog>

#include <memory>
#include <vector>

class QMenu;
class QTableWidget;

namespace vantor {

class Engine;

class DeviceListDialog : public QDialog
{
    Q_OBJECT

public:
    DeviceListDialog(Engine &engine, QWidget *parent = nullptr);

    void SetPrompts(EditorPrompts prompts) { m_prompts = std::move(prompts); }

    // Fills the grid from the list to save. exec() does this first.
    void Load();
    int exec() override;
    // Validates; on success hands the list to the engine and closes.
    void accept() override;

    QTableWidget *Grid() const { return m_grid; }
    // "Add new line" and "Delete line".
    void AddLine();
    void DeleteLine();
    // The menu of "List...": one item per serial port of this machine; an
    // item puts its COM name into the cursor's connection cell.
    std::unique_ptr<QMenu> SerialPortMenu(const std::vector<SerialPortOffer> &offers);
    void OfferSerialPorts();

private:
    // The first fault as the message shown and the cell selected.
    bool Validate();
    void Refuse(int row, int column, const QString &message);

    Engine &m_engine;
    EditorPrompts m_prompts = EditorPrompts::Standard();
    QTableWidget *m_grid;
    QWidget *m_listButton;
};

} // namespace vantor
