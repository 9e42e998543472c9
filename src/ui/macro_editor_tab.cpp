#include "ui/macro_editor_tab.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "windows/macro_setup_window.h"
#include "windows/macro_editor_tab.h"
#include "ui/text_rule.h"
#include "ui/widgets.h"

namespace zul::ui {

using windows::EditBox;
using windows::GridColumn;

namespace {

constexpr windows::EditBox kBoxes[] = {windows::EditBox::House, windows::EditBox::Unit, windows::EditBox::Action, windows::EditBox::Pause};
constexpr const char* kBoxCaptions[] = {"House Code", "Unit Code", "Action", "Pause"};
constexpr const char* kModeCaptions[] = {"Replace Selected", "Add As Row Num", "Add To End"};
constexpr int kBoxWidths[] = {44, 52, 56, 64};
constexpr const char* kQuickCaption = "Select a box in the editor and click a code below to enter";

std::size_t slot(windows::EditBox b) { return static_cast<std::size_t>(b); }

QColor colourOf(unsigned rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The Pause cell edited in place: a small box that takes a pause's characters.
class PauseDelegate : public QStyledItemDelegate {
public:
    PauseDelegate(QObject* parent, std::function<void(int, const QString&)> commit)
        : QStyledItemDelegate(parent), commit_(std::move(commit)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* box = new QLineEdit(parent);
        box->setValidator(
            new TextRule(box, [](std::string_view t) { return windows::acceptBoxText(windows::EditBox::Pause, t); }));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString text = index.data().toString();
        static_cast<QLineEdit*>(editor)->setText(text == "error" ? QString() : text);
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        commit_(index.row(), static_cast<QLineEdit*>(editor)->text());
    }

private:
    std::function<void(int, const QString&)> commit_;
};

// A quick-edit code: reports the pointer resting on it.
class CodeButton : public QToolButton {
public:
    using QToolButton::QToolButton;
    std::function<void()> hovered;

protected:
    void enterEvent(QEnterEvent* e) override {
        if (hovered) hovered();
        QToolButton::enterEvent(e);
    }
};

QPushButton* pushButton(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

MacroEditorTab::MacroEditorTab(app::App& app, windows::MacroSetupWindowForm& setup, QWidget* parent)
    : QWidget(parent), app_(app), setup_(setup), editor_(setup.editor) {
    auto* v = new QVBoxLayout(this);
    v->setSpacing(6);
    auto* fileRow = new QHBoxLayout;
    fileCaption_ = new QLabel(this);
    fileBox_ = new QLineEdit(this);
    fileBox_->setReadOnly(true);
    fileBox_->setFocusPolicy(Qt::ClickFocus);
    fileRow->addWidget(fileCaption_);
    fileRow->addWidget(fileBox_, 1);
    v->addLayout(fileRow);
    v->addWidget(buildGrid(), 1);
    v->addWidget(buildQuickEdit());
    v->addWidget(buildBoxes());
    auto* lower = new QHBoxLayout;
    lower->addWidget(buildRecorder(), 1);
    lower->addWidget(buildFileButtons());
    v->addLayout(lower);
    setQuickEditOpen(false);
    refresh();
}

QWidget* MacroEditorTab::buildGrid() {
    grid_ = new QTableWidget(0, windows::kGridColumns, this);
    QStringList headers = q(std::string(macros::kGridHeader)).split('|');
    for (QString& h : headers) h = q(app_.tr(h.toStdString()));
    grid_->setHorizontalHeaderLabels(headers);
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    grid_->setItemDelegateForColumn(int(windows::GridColumn::Pause),
                                    new PauseDelegate(grid_, [this](int row, const QString& text) {
                                        editor_.setPauseCell(row, text.toStdString());
                                        QTimer::singleShot(0, this, [this] { afterChange(); });
                                    }));
    QHeaderView* header = grid_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Stretch);
    grid_->setMinimumHeight(200);
    grid_->setStyleSheet("QTableWidget::item:selected { background:#1e63b8; color:white; }");
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row) { gridRowChosen(row); });
    grid_->installEventFilter(this);
    return grid_;
}

QWidget* MacroEditorTab::buildBoxes() {
    auto* box = new QGroupBox(q(app_.tr("Edit")), this);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(8);
    for (std::size_t i = 0; i < 4; ++i) {
        const windows::EditBox b = kBoxes[i];
        auto* edit = new QLineEdit(box);
        edit->setFixedWidth(kBoxWidths[i]);
        edit->setValidator(new TextRule(edit, [b](std::string_view t) { return windows::acceptBoxText(b, t); }));
        const std::string what = kBoxCaptions[i];
        edit->setToolTip(
            q(app_.tip(b == windows::EditBox::Pause ? "double click the 'Pause' edit box to open the seconds calculator"
                                           : "double click the '" + what + "' edit box for a list of commands")));
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this, b](const QString& t) {
            editor_.boxes.set(b, t.toStdString());
            enter_->setEnabled(editor_.boxes.allFilled());
        });
        connect(edit, &QLineEdit::returnPressed, this, [this, b] { boxKey(b); });
        connect(edit, &QLineEdit::editingFinished, this, [this, b] { leaveBox(b); });
        boxes_[i] = edit;
        grid->addWidget(new QLabel(q(app_.tr(what)), box), 0, int(i));
        grid->addWidget(edit, 1, int(i));
    }
    enter_ = pushButton(q(app_.tr("&Enter")), box);
    deleteRow_ = pushButton(q(app_.tr("&Delete Row")), box);
    grid->addWidget(enter_, 1, 4);
    grid->addWidget(deleteRow_, 1, 5);
    auto* modes = new QButtonGroup(box);
    auto* modeRow = new QHBoxLayout;
    for (std::size_t i = 0; i < 3; ++i) {
        modes_[i] = new QRadioButton(q(app_.tr(kModeCaptions[i])), box);
        modes->addButton(modes_[i], int(i));
        modes_[i]->installEventFilter(this);
        modeRow->addWidget(modes_[i]);
    }
    modeRow->addStretch(1);
    connect(modes, &QButtonGroup::idClicked, this, [this](int id) { editor_.mode = windows::EntryMode(id); });
    grid->addLayout(modeRow, 2, 0, 1, 6);
    rowNumber_ = new QLabel(box);
    time_ = new QLabel(box);
    time_->setStyleSheet("font-weight:600;");
    fixIt_ = pushButton(q(app_.tr("&Fix it")), box);
    fixIt_->setToolTip(q(app_.tip("Fix It: Checks the editor for errors and attempts to correct them.")));
    clearAll_ = pushButton(q(app_.tr("C&lear All")), box);
    grid->addWidget(rowNumber_, 0, 6);
    grid->addWidget(time_, 1, 6);
    grid->addWidget(fixIt_, 0, 7);
    grid->addWidget(clearAll_, 1, 7);
    grid->setColumnStretch(6, 1);
    connect(enter_, &QPushButton::clicked, this, [this] { enterRow(); });
    onClick(deleteRow_, [this] { editor_.deleteRow(); });
    onClick(fixIt_, [this] { editor_.fixIt(); });
    onClick(clearAll_, [this] { editor_.clearAllAsking(); });
    return box;
}

QWidget* MacroEditorTab::buildQuickEdit() {
    auto* outer = new QWidget(this);
    auto* v = new QVBoxLayout(outer);
    v->setContentsMargins(0, 0, 0, 0);
    quickToggle_ = pushButton(q(app_.tr("Quick Edit")), outer);
    quickToggle_->setCheckable(true);
    connect(quickToggle_, &QPushButton::toggled, this, [this](bool on) { setQuickEditOpen(on); });
    v->addWidget(quickToggle_, 0, Qt::AlignLeft);
    quickPanel_ = new QGroupBox(q(app_.tr(kQuickCaption)), outer);
    auto* grid = new QGridLayout(quickPanel_);
    grid->setSpacing(2);
    QStringList codes;
    for (char c = 'A'; c <= 'P'; ++c) codes << QString(QChar(c));
    for (int n = 1; n <= 16; ++n) codes << QString::number(n);
    for (const char* c : {"PRE", "ALL", "BRI", "DIM", "ALN", "ALF", "AUF", "ON", "OFF"}) codes << c;
    for (int i = 0; i < codes.size(); ++i) {
        auto* b = new CodeButton(quickPanel_);
        b->setText(codes[i]);
        b->setMinimumWidth(34);
        b->setFocusPolicy(Qt::NoFocus);
        const QString code = codes[i];
        b->hovered = [this, code] {
            const auto text = macros::hintForCode(code.toStdString());
            if (hint && !text.empty()) hint(q(app_.tr(std::string(text))));
        };
        connect(b, &QToolButton::clicked, this, [this, code] { clickQuickCode(code); });
        grid->addWidget(b, i / 16, i % 16);
    }
    v->addWidget(quickPanel_);
    return outer;
}

QWidget* MacroEditorTab::buildRecorder() {
    auto* box = new QGroupBox(q(app_.tr("Record from the main window")), this);
    auto* grid = new QGridLayout(box);
    record_ = pushButton(q(app_.tr("&Rec")), box);
    record_->setCheckable(true);
    recordCount_ = new QLabel("0", box);
    recordCount_->setMinimumWidth(30);
    pauseEach_ = new QRadioButton(q(app_.tr("Add pause times while recorder")), box);
    fastRecord_ = new QRadioButton(q(app_.tr("Fast Record - Add pause times manually, after recording")), box);
    pauseEach_->setToolTip(q(app_.tip("Enter pause times while recording")));
    fastRecord_->setToolTip(q(app_.tip("5 second pause entered automatically for later editing")));
    grid->addWidget(record_, 0, 0);
    grid->addWidget(recordCount_, 1, 0, Qt::AlignCenter);
    grid->addWidget(pauseEach_, 0, 1);
    grid->addWidget(fastRecord_, 1, 1);
    grid->setColumnStretch(1, 1);
    connect(record_, &QPushButton::toggled, this, [this](bool on) {
        if (refreshing_) return;
        if (on) editor_.startRecording();
        else editor_.stopRecording();
        afterChange();
    });
    connect(pauseEach_, &QRadioButton::toggled, this, [this](bool on) { editor_.fastRecord = !on; });
    return box;
}

QWidget* MacroEditorTab::buildFileButtons() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 8, 0, 0);
    open_ = pushButton(q(app_.tr("Ope&n")), box);
    save_ = pushButton(q(app_.tr("&Save")), box);
    saveAs_ = pushButton(q(app_.tr("Save &As")), box);
    grid->addWidget(open_, 0, 0);
    grid->addWidget(save_, 1, 0);
    grid->addWidget(saveAs_, 2, 0);
    onClick(open_, [this] { editor_.open(); });
    onClick(save_, [this] { editor_.save(); });
    onClick(saveAs_, [this] { editor_.saveAs(); });
    return box;
}

void MacroEditorTab::setQuickEditOpen(bool open) {
    quickPanel_->setVisible(open);
    if (quickToggle_->isChecked() != open) quickToggle_->setChecked(open);
    quickToggle_->setText(q(app_.tr(open ? "Close Quick Edit" : "Open Quick Edit")));
    quickToggle_->setToolTip(q(app_.tip(open ? "Close Quick Edit" : "Open Quick Edit")));
}

bool MacroEditorTab::quickEditOpen() const { return quickPanel_->isVisible(); }

void MacroEditorTab::clickQuickCode(const QString& code) {
    const int row = grid_->currentRow(), column = grid_->currentColumn();
    if (row < 0 || !editor_.quickEdit(row, windows::GridColumn(column), code.toStdString())) {
        if (hint) hint(q(app_.tr(kQuickCaption)));
        return;
    }
    afterChange();
}

void MacroEditorTab::onClick(QPushButton* button, std::function<void()> action) {
    connect(button, &QPushButton::clicked, this, [this, action = std::move(action)] {
        action();
        afterChange();
    });
}

void MacroEditorTab::afterChange() {
    refresh();
    if (changed) changed();
}

void MacroEditorTab::refresh() {
    refreshing_ = true;
    fileCaption_->setText(q(app_.tr(editor_.fileName().empty() ? "File:" : "Open file:")));
    fileBox_->setText(q(editor_.fileName()));
    refreshGrid();
    refreshBoxes();
    record_->setChecked(editor_.recording());
    record_->setText(q(app_.tr(editor_.recording() ? "Stop" : "&Rec")));
    record_->setEnabled(setup_.macroRecordEnabled());
    recordCount_->setText(QString::number(editor_.recordedCount()));
    recordCount_->setVisible(editor_.recording() || editor_.recordedCount() > 0);
    recordCount_->setStyleSheet(editor_.recording() ? "color:#c62828; font-weight:700;" : "");
    (editor_.fastRecord ? fastRecord_ : pauseEach_)->setChecked(true);
    refreshing_ = false;
}

void MacroEditorTab::refreshGrid() {
    const windows::EditorGrid& g = editor_.grid();
    const int column = std::max(grid_->currentColumn(), 0);
    const QSignalBlocker block(grid_);
    grid_->setRowCount(g.size());
    for (int r = 0; r < g.size(); ++r) {
        for (int c = 0; c < windows::kGridColumns; ++c) {
            auto* item = new QTableWidgetItem(q(g.cell(r, windows::GridColumn(c))));
            item->setBackground(colourOf(g.cellRgb(r, windows::GridColumn(c))));
            item->setForeground(Qt::black);
            item->setTextAlignment(Qt::AlignCenter);
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c == int(windows::GridColumn::Pause)) flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            grid_->setItem(r, c, item);
        }
    }
    if (const auto row = editor_.selectedRow()) grid_->setCurrentCell(*row, column);
    else grid_->setCurrentCell(-1, -1);
}

void MacroEditorTab::refreshBoxes() {
    for (std::size_t i = 0; i < 4; ++i) {
        const QString text = q(editor_.boxes.text(kBoxes[i]));
        if (boxes_[i]->text() != text) boxes_[i]->setText(text);
    }
    enter_->setEnabled(editor_.boxes.allFilled());
    modes_[static_cast<std::size_t>(editor_.mode)]->setChecked(true);
    const auto row = editor_.selectedRow();
    rowNumber_->setText(row ? q(app_.tr("Row")) + " " + QString::number(*row + 1) : QString());
    time_->setText(q(editor_.timeLabel()));
    deleteRow_->setEnabled(row.has_value());
}

void MacroEditorTab::gridRowChosen(int row) {
    if (refreshing_) return;
    editor_.selectRow(row >= 0 ? std::optional<int>(row) : std::nullopt);
    refreshBoxes();
}

void MacroEditorTab::leaveBox(windows::EditBox b) {
    editor_.boxes.set(b, boxes_[slot(b)]->text().toStdString());
    editor_.boxes.leave(b);
    refreshBoxes();
}

void MacroEditorTab::boxKey(windows::EditBox b) {
    leaveBox(b);
    switch (editor_.boxes.enterKey(b)) {
    case windows::EnterKey::NextBox:
        // The next box is typed over, as after Tab.
        boxes_[slot(b) + 1]->setFocus(Qt::TabFocusReason);
        boxes_[slot(b) + 1]->selectAll();
        break;
    case windows::EnterKey::PickList: openPickList(b); break;
    case windows::EnterKey::Calculator: askPauseInto(); break;
    case windows::EnterKey::EntryMode: modes_[static_cast<std::size_t>(editor_.mode)]->setFocus(); break;
    }
}

void MacroEditorTab::openPickList(windows::EditBox b) {
    QLineEdit* edit = boxes_[slot(b)];
    QMenu menu(this);
    const std::string current = windows::pickListDefault(b, editor_.boxes.text(b));
    QAction* selected = nullptr;
    for (const auto& entry : windows::pickList(b)) {
        QAction* a = menu.addAction(q(entry));
        if (entry == current) selected = a;
    }
    menu.setActiveAction(selected);
    QAction* chosen = menu.exec(edit->mapToGlobal(QPoint(edit->width(), 0)), selected);
    if (!chosen) return;
    edit->setText(chosen->text());
    leaveBox(b);
    edit->setFocus();
}

void MacroEditorTab::askPauseInto() {
    const auto result = setup_.askPause();
    if (result && !result->empty()) {
        boxes_[slot(windows::EditBox::Pause)]->setText(q(result->substr(0, 4)));
        leaveBox(windows::EditBox::Pause);
    }
    boxes_[slot(windows::EditBox::Pause)]->setFocus();
}

void MacroEditorTab::enterRow() {
    for (windows::EditBox b : kBoxes) editor_.boxes.set(b, boxes_[slot(b)]->text().toStdString());
    if (!editor_.enter()) return;
    afterChange();
    boxes_[slot(windows::EditBox::House)]->setFocus();
    boxes_[slot(windows::EditBox::House)]->selectAll();
}

bool MacroEditorTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (windows::EditBox b : kBoxes) {
            if (watched != boxes_[slot(b)]) continue;
            if (b == windows::EditBox::Pause) askPauseInto();
            else openPickList(b);
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enterKey = key == Qt::Key_Return || key == Qt::Key_Enter;
    for (QRadioButton* mode : modes_) {
        if (watched == mode && enterKey) {
            mode->click();
            enterRow();
            return true;
        }
    }
    if (watched == grid_) { // while a pause cell is edited, the keys go to its box
        if (key == Qt::Key_Delete) {
            deleteRow_->click();
            return true;
        }
        if (enterKey) {
            const int next = grid_->currentRow() + 1;
            if (next < grid_->rowCount()) grid_->setCurrentCell(next, std::max(grid_->currentColumn(), 0));
            else boxes_[slot(windows::EditBox::House)]->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zul::ui
