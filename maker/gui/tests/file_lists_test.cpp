// Tests of the drive, directory and file lists: what each shows for a folder tree made
// for the test, and how double-clicks, Enter, clicks and arrow keys move them.
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "file_lists.h"

using klv::gui::CurrentDirectoryOfDrive;
using klv::gui::DirList;
using klv::gui::DriveList;
using klv::gui::DriveOfPath;
using klv::gui::FileList;

namespace {

void Touch(const QString& path) {
  QFile file(path);
  QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

QStringList Lines(const QListWidget& list) {
  QStringList lines;
  for (int i = 0; i < list.count(); ++i) lines << list.item(i)->text();
  return lines;
}

QListWidgetItem* Line(const QListWidget& list, const QString& text) {
  const QList<QListWidgetItem*> found = list.findItems(text, Qt::MatchExactly);
  return found.size() == 1 ? found.front() : nullptr;
}

}  // namespace

class FileListsTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void DriveOfPathIsTheLongestHoldingMount_data();
  void DriveOfPathIsTheLongestHoldingMount();
  void ChosenDriveStartsAtTheCurrentDirectoryWhenItHoldsIt();
  void DriveListStartsAtTheCurrentDirectorysDrive();
  void DirListShowsThePathDownAndTheSubfolders();
  void DirListRefusesWhatIsNoFolder_data();
  void DirListRefusesWhatIsNoFolder();
  void DoubleClickAndEnterOpenAFolder();
  void VanishedFolderIsReportedAndTheListStays();
  void FileListShowsPicturesWithoutRegardToCase();  // and packages
  void ClicksAndArrowKeysChooseAFile();

 private:
  std::unique_ptr<QTemporaryDir> temp_;
  QString root_;
};

void FileListsTest::init() {
  temp_ = std::make_unique<QTemporaryDir>();  // a fresh tree for every test
  QVERIFY(temp_->isValid());
  root_ = QDir(temp_->path()).canonicalPath();
  QDir dir(root_);
  for (const char* path : {"a/b", "a/C", "a/.hidden", "pics/sub.bmp"}) {
    QVERIFY(dir.mkpath(QString::fromLatin1(path)));
  }
}

void FileListsTest::DriveOfPathIsTheLongestHoldingMount_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<QString>("drive");
  QTest::newRow("root only") << "/usr/lib"
                             << "/";
  QTest::newRow("mount itself") << "/home"
                                << "/home";
  QTest::newRow("below a mount") << "/home/u/x"
                                 << "/home";
  QTest::newRow("nested mount wins") << "/home/u/mnt/a"
                                     << "/home/u/mnt";
  QTest::newRow("name prefix is no ancestor") << "/homer/x"
                                              << "/";
  QTest::newRow("relative path is on no drive") << "home"
                                                << "";
}

void FileListsTest::DriveOfPathIsTheLongestHoldingMount() {
  QFETCH(QString, path);
  QFETCH(QString, drive);
  const QStringList drives = {"/", "/home", "/home/u/mnt", "/ho"};
  QCOMPARE(DriveOfPath(drives, path), drive);
}

void FileListsTest::ChosenDriveStartsAtTheCurrentDirectoryWhenItHoldsIt() {
  QVERIFY(QDir::setCurrent(root_));
  const QString elsewhere = QStringLiteral("/no-such-mount-for-the-test");
  const QStringList drives = {"/", elsewhere};
  QCOMPARE(CurrentDirectoryOfDrive(drives, "/"), QDir::currentPath());
  QCOMPARE(CurrentDirectoryOfDrive(drives, elsewhere), elsewhere);
}

void FileListsTest::DriveListStartsAtTheCurrentDirectorysDrive() {
  QVERIFY(QDir::setCurrent(root_));
  DriveList drives;
  QVERIFY(drives.Drives().contains("/"));
  QCOMPARE(drives.Drive(), DriveOfPath(drives.Drives(), QDir::currentPath()));

  QSignalSpy changed(&drives, &DriveList::DriveChanged);
  QVERIFY(!drives.SetDrive("/no/such/drive"));
  QVERIFY(drives.SetDrive(drives.Drive()));
  QCOMPARE(changed.count(), 0);  // neither a failure nor the same drive is a change
  for (const QString& other : drives.Drives()) {
    if (other == drives.Drive()) continue;
    QVERIFY(drives.SetDrive(other));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.front().front().toString(), other);
    QCOMPARE(drives.Drive(), other);
    break;
  }
}

void FileListsTest::DirListShowsThePathDownAndTheSubfolders() {
  DirList dirs;
  QSignalSpy changed(&dirs, &DirList::PathChanged);
  QVERIFY(dirs.SetPath(root_ + "/a/"));
  QCOMPARE(dirs.Path(), root_ + "/a");
  QCOMPARE(changed.count(), 1);

  QStringList expected = {"/"};
  expected << root_.split('/', Qt::SkipEmptyParts) << "a"
           << "b"
           << "C";
  QCOMPARE(Lines(dirs), expected);  // the hidden folder is left out
  QCOMPARE(dirs.currentItem()->data(DirList::kPathRole).toString(), root_ + "/a");
  QCOMPARE(Line(dirs, "C")->data(DirList::kPathRole).toString(), root_ + "/a/C");
  QCOMPARE(dirs.item(0)->data(DirList::kPathRole).toString(), QStringLiteral("/"));

  QVERIFY(dirs.SetPath("/"));
  QCOMPARE(dirs.Path(), QStringLiteral("/"));
  QCOMPARE(dirs.item(0)->text(), QStringLiteral("/"));
}

void FileListsTest::DirListRefusesWhatIsNoFolder_data() {
  QTest::addColumn<QString>("path");
  QTest::newRow("missing") << "/missing";
  QTest::newRow("a file") << "/a/b/file.txt";
  QTest::newRow("empty") << "";
}

void FileListsTest::DirListRefusesWhatIsNoFolder() {
  QFETCH(QString, path);
  Touch(root_ + "/a/b/file.txt");
  DirList dirs;
  QVERIFY(dirs.SetPath(root_));
  QSignalSpy changed(&dirs, &DirList::PathChanged);
  QVERIFY(!dirs.SetPath(path.isEmpty() ? path : root_ + path));
  QCOMPARE(dirs.Path(), root_);
  QCOMPARE(changed.count(), 0);
}

void FileListsTest::DoubleClickAndEnterOpenAFolder() {
  DirList dirs;
  dirs.resize(300, 400);
  dirs.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dirs));
  QVERIFY(dirs.SetPath(root_ + "/a"));
  QSignalSpy changed(&dirs, &DirList::PathChanged);

  QListWidgetItem* b = Line(dirs, "b");
  QVERIFY(b != nullptr);
  QTest::mouseClick(dirs.viewport(), Qt::LeftButton, {}, dirs.visualItemRect(b).center());
  QCOMPARE(dirs.Path(), root_ + "/a");  // a single click only selects
  QTest::mouseDClick(dirs.viewport(), Qt::LeftButton, {}, dirs.visualItemRect(b).center());
  QCOMPARE(dirs.Path(), root_ + "/a/b");

  // Up two lines from the current folder is its grandparent's line.
  QTest::keyClick(&dirs, Qt::Key_Up);
  QTest::keyClick(&dirs, Qt::Key_Up);
  QTest::keyClick(&dirs, Qt::Key_Return);
  QCOMPARE(dirs.Path(), root_);
  QCOMPARE(changed.count(), 2);
}

void FileListsTest::VanishedFolderIsReportedAndTheListStays() {
  DirList dirs;
  QVERIFY(dirs.SetPath(root_ + "/a"));
  QSignalSpy failed(&dirs, &DirList::OpenFailed);
  QVERIFY(QDir(root_ + "/a/b").removeRecursively());
  dirs.setCurrentItem(Line(dirs, "b"));
  QTest::keyClick(&dirs, Qt::Key_Return);
  QCOMPARE(failed.count(), 1);
  QCOMPARE(failed.front().front().toString(), root_ + "/a/b");
  QCOMPARE(dirs.Path(), root_ + "/a");
  QVERIFY(Line(dirs, "b") == nullptr);  // the list was read again
}

void FileListsTest::FileListShowsPicturesWithoutRegardToCase() {
  for (const char* name : {"b.bmp", "A.BMP", "c.Bmp", "d.txt", "e.bmp.txt", "bmp", ".bmp", "f.PNG",
                           "g.jpg", "h.Jpeg", "i.webp", "j.png.old", "k.klv"}) {
    Touch(root_ + "/pics/" + name);
  }
  FileList files;
  files.SetFolder(root_ + "/pics");
  QCOMPARE(files.Folder(), root_ + "/pics");
  // The folder "sub.bmp" is no file.
  QCOMPARE(files.FileNames(), QStringList({".bmp", "A.BMP", "b.bmp", "c.Bmp", "f.PNG", "g.jpg",
                                           "h.Jpeg", "i.webp", "k.klv"}));
  QCOMPARE(files.FileName(), QString());

  files.SetFolder(root_ + "/missing");
  QCOMPARE(files.FileNames(), QStringList());
}

void FileListsTest::ClicksAndArrowKeysChooseAFile() {
  for (const char* name : {"one.bmp", "two.bmp"}) Touch(root_ + "/pics/" + name);
  FileList files;
  files.resize(200, 200);
  files.show();
  QVERIFY(QTest::qWaitForWindowExposed(&files));
  files.SetFolder(root_ + "/pics");
  QSignalSpy clicked(&files, &FileList::FileClicked);

  QTest::mouseClick(files.viewport(), Qt::LeftButton, {},
                    files.visualItemRect(Line(files, "one.bmp")).center());
  QTest::mouseClick(files.viewport(), Qt::LeftButton, {},
                    files.visualItemRect(Line(files, "one.bmp")).center());
  QTest::keyClick(&files, Qt::Key_Down);
  QTest::keyClick(&files, Qt::Key_Down);  // already at the last name: no click
  const QStringList names = {"one.bmp", "one.bmp", "two.bmp"};
  QCOMPARE(clicked.count(), names.size());
  for (int i = 0; i < names.size(); ++i) QCOMPARE(clicked.at(i).front().toString(), names[i]);
  QCOMPARE(files.FileName(), QStringLiteral("two.bmp"));
}

QTEST_MAIN(FileListsTest)
#include "file_lists_test.moc"
