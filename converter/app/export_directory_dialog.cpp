#include "converter/app/export_directory_dialog.h"

#include "converter/app/fixed_row_height.h"
#include "converter/app/form_font.h"
#include "viewer/app/screen_fit.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>

namespace kzo {
namespace {

constexpr int kPathRole = Qt::UserRole;

QString normalDirectory(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

ExportDirectoryDialog::ExportDirectoryDialog()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("Form2");
    setWindowTitle("Select Export Directory");
    setModal(true);
    applyFormFont(*this);
    setFixedSize(337, 320);
    move(485, 142);

    label1 = new QLabel("Directory", this);
    label1->setObjectName("Label1");
    label1->setGeometry(8, 8, 59, 16);
    label2 = new QLabel("Drive :", this);
    label2->setObjectName("Label2");
    label2->setGeometry(8, 264, 43, 16);

    edit1 = new QLineEdit("Edit1", this);
    edit1->setObjectName("Edit1");
    edit1->setGeometry(8, 32, 209, 24);
    edit1->installEventFilter(this);

    directoryListBox1 = new QTreeWidget(this);
    directoryListBox1->setObjectName("DirectoryListBox1");
    directoryListBox1->setGeometry(8, 64, 209, 185);
    directoryListBox1->setHeaderHidden(true);
    directoryListBox1->setRootIsDecorated(false);
    directoryListBox1->setItemsExpandable(false);
    directoryListBox1->setIndentation(10);
    directoryListBox1->setUniformRowHeights(true);
    directoryListBox1->setItemDelegate(new FixedRowHeight(directoryListBox1));
    directoryListBox1->installEventFilter(this);
    directoryListBox1->setIconSize(QSize(14, 14));
    // A list, not a tree: the levels are shown by indentation alone.
    directoryListBox1->setStyleSheet("QTreeView::branch { image: none; border-image: none; }");
    connect(directoryListBox1, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { setDirectory(item->data(0, kPathRole).toString()); });

    driveComboBox1 = new QComboBox(this);
    driveComboBox1->setObjectName("DriveComboBox1");
    driveComboBox1->setGeometry(8, 288, 209, 22);
    connect(driveComboBox1, &QComboBox::activated, this,
            [this](int index) { setDirectory(driveComboBox1->itemData(index).toString()); });

    bitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    bitBtn1->setObjectName("BitBtn1");
    bitBtn1->setGeometry(232, 8, 97, 25);
    bitBtn1->setDefault(true);
    connect(bitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    bitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
    bitBtn2->setObjectName("BitBtn2");
    bitBtn2->setGeometry(232, 40, 97, 25);
    connect(bitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(edit1, directoryListBox1);
    setTabOrder(directoryListBox1, driveComboBox1);
    setTabOrder(driveComboBox1, bitBtn1);
    setTabOrder(bitBtn1, bitBtn2);

    fillDriveList();
    setDirectory(QDir::currentPath());
    // Until the dialog is first shown Edit1 holds its design-time text.
    edit1->setText("Edit1");
}

bool ExportDirectoryDialog::setDirectory(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir()) {
        return false;
    }
    directory_ = normalDirectory(path);
    fillDirectoryList();
    selectDriveOf(directory_);
    edit1->setText(QDir::toNativeSeparators(directory_));
    return true;
}

// The path from the root down to the directory, each level one entry indented
// below the one before, then the directory's subdirectories below it.
void ExportDirectoryDialog::fillDirectoryList() {
    directoryListBox1->clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QStringList chain;
    for (QDir dir(directory_);;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp()) {
            break;
        }
    }
    QTreeWidgetItem* parent = nullptr;
    for (const QString& level : chain) {
        const QString name =
            QDir(level).isRoot() ? QDir::toNativeSeparators(level) : QFileInfo(level).fileName();
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(directoryListBox1);
        item->setText(0, name);
        item->setIcon(0, openIcon);
        item->setData(0, kPathRole, level);
        parent = item;
    }
    const QStringList children = QDir(directory_)
                                     .entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                                QDir::Name | QDir::IgnoreCase);
    for (const QString& child : children) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, child);
        item->setIcon(0, closedIcon);
        item->setData(0, kPathRole, QDir(directory_).filePath(child));
    }
    directoryListBox1->expandAll();
    directoryListBox1->setCurrentItem(parent);
}

void ExportDirectoryDialog::fillDriveList() {
    const QSignalBlocker blocker(driveComboBox1);
    driveComboBox1->clear();
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // A container's bind-mounted files (/etc/hosts) are volumes too, but
        // nothing to export into.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir() &&
            !roots.contains(volume.rootPath())) {
            roots.append(volume.rootPath());
        }
    }
    roots.sort();
    for (const QString& root : roots) {
        driveComboBox1->addItem(QDir::toNativeSeparators(root), root);
    }
}

void ExportDirectoryDialog::selectDriveOf(const QString& path) {
    const QString root = QStorageInfo(path).rootPath();
    int index = driveComboBox1->findData(root);
    if (index < 0 && !root.isEmpty()) {
        driveComboBox1->addItem(QDir::toNativeSeparators(root), root);
        index = driveComboBox1->count() - 1;
    }
    const QSignalBlocker blocker(driveComboBox1);
    driveComboBox1->setCurrentIndex(index);
}

void ExportDirectoryDialog::showEvent(QShowEvent* event) {
    // A volume mounted since the last use is offered too.
    fillDriveList();
    selectDriveOf(directory_);
    edit1->setText(QDir::toNativeSeparators(directory_));
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        keepInsideScreenOnceFramed(*this);
    }
}

// Enter moves the list where the focused control points, when that is an
// existing directory other than the list's own: in Edit1 the typed path, in
// the list its current entry. The dialog stays open then; otherwise Enter is
// the OK key as usual.
bool ExportDirectoryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QString target = watched == edit1               ? typedDirectory()
                                   : watched == directoryListBox1 ? currentEntryDirectory()
                                                                  : QString();
            if (!target.isEmpty() && QFileInfo(target).isDir() &&
                normalDirectory(target) != directory_) {
                setDirectory(target);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

// A relative path is taken from the list's directory, not the process's.
QString ExportDirectoryDialog::typedDirectory() const {
    const QString text = QDir::fromNativeSeparators(edit1->text().trimmed());
    return text.isEmpty() ? text : QDir(directory_).filePath(text);
}

QString ExportDirectoryDialog::currentEntryDirectory() const {
    const QTreeWidgetItem* item = directoryListBox1->currentItem();
    return item ? item->data(0, kPathRole).toString() : QString();
}

} // namespace kzo
