// The package file type as the desktop sees it: the type's XML, compiled with the
// system's types by update-mime-database into a folder of its own (as installing the
// package does in /usr/share/mime), makes QMimeDatabase name a package by its extension
// and by its first bytes, and no other RIFF file.
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr char kPackageType[] = "application/x-klv-puzzle";

// The first bytes of a file of RIFF form `form` whose first chunk is `chunk`.
QByteArray RiffStart(const QByteArray& form, const QByteArray& chunk, quint32 chunk_size) {
  QByteArray bytes("RIFF");
  const quint32 riff_size = 4 + 8 + chunk_size;
  for (int shift = 0; shift < 32; shift += 8) bytes.append(char((riff_size >> shift) & 0xFF));
  bytes += form + chunk;
  for (int shift = 0; shift < 32; shift += 8) bytes.append(char((chunk_size >> shift) & 0xFF));
  return bytes + QByteArray(int(chunk_size), '\0');
}

}  // namespace

class MimeTypeTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    // Only this folder: QMimeDatabase reads it at first use.
    qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_DATA_DIRS", dir_.filePath(QStringLiteral("share")).toUtf8());
    const QString packages = dir_.filePath(QStringLiteral("share/mime/packages"));
    QVERIFY(QDir().mkpath(packages));
    const QString system_types = QStringLiteral("/usr/share/mime/packages/freedesktop.org.xml");
    QVERIFY(QFile::copy(system_types, packages + QStringLiteral("/freedesktop.org.xml")));
    QVERIFY(QFile::copy(QStringLiteral(KLV_MIME_XML), packages + QStringLiteral("/klv.xml")));
    QProcess update;
    // A scratch database needs no flush to disk after each of its files.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PKGSYSTEM_ENABLE_FSYNC"), QStringLiteral("0"));
    update.setProcessEnvironment(environment);
    update.start(QStringLiteral(KLV_UPDATE_MIME_DATABASE),
                 {dir_.filePath(QStringLiteral("share/mime"))});
    QVERIFY(update.waitForFinished(60000));
    QCOMPARE(update.exitCode(), 0);
    // The tool warns on standard error about XML that it does not understand.
    QCOMPARE(QString::fromUtf8(update.readAllStandardError()), QString());
  }

  void FilesAreNamedByExtensionAndContent_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("is_package");
    const QByteArray package = RiffStart("DATA", "KLVZ", 592);
    QTest::newRow("a package") << "Sample.klv" << package << true;
    QTest::newRow("a package renamed") << "sample.dat" << package << true;
    QTest::newRow("an empty file named .klv") << "empty.klv" << QByteArray() << true;
    QTest::newRow("a wave sound") << "sound.dat" << RiffStart("WAVE", "fmt ", 16) << false;
    QTest::newRow("a video") << "clip.dat" << RiffStart("AVI ", "LIST", 4) << false;
    QTest::newRow("another DATA form") << "other.dat" << RiffStart("DATA", "HEAD", 8) << false;
  }

  void FilesAreNamedByExtensionAndContent() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, is_package);
    QFile file(dir_.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();
    const QMimeType type = QMimeDatabase().mimeTypeForFile(file.fileName());
    QVERIFY2((type.name() == QLatin1String(kPackageType)) == is_package, qPrintable(type.name()));
  }

  void TheTypeHasItsExtensionAndNames() {
    const QMimeType type = QMimeDatabase().mimeTypeForName(QLatin1String(kPackageType));
    QVERIFY(type.isValid());
    QCOMPARE(type.preferredSuffix(), QStringLiteral("klv"));
    QVERIFY(!type.comment().isEmpty());
  }

 private:
  QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(MimeTypeTest)
#include "mime_type_test.moc"
