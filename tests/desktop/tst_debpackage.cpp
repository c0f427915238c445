// The Debian package made by scripts/make-deb.sh, checked with dpkg's own
// tools. It packages the build tree the tests run from, so no second build
// is made: in the test build the programs carry the sanitizers, whose
// libraries then show among the dependencies too.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/programicon.h"
#include "testsupport.h"

namespace {

QString BuildDir() {
    return qEnvironmentVariable("LINEATIX_BUILD_DIR");
}

QString ProjectVersion() {
    static const QRegularExpression line(QStringLiteral("^CMAKE_PROJECT_VERSION:STATIC=(.*)$"),
                                         QRegularExpression::MultilineOption);
    const QByteArray cache = ReadFileBytes(BuildDir() + QStringLiteral("/CMakeCache.txt"));
    return line.match(QString::fromUtf8(cache)).captured(1).trimmed();
}

QString Trimmed(const QByteArray& text) {
    return QString::fromUtf8(text).trimmed();
}

// Package names of a Depends field, without versions or alternatives' bars.
QStringList PackageNames(const QString& field) {
    QStringList names;
    for (const QString& item : field.split(QRegularExpression(QStringLiteral("[,|]"))))
        names << item.section(QLatin1Char('('), 0, 0).trimmed();
    return names;
}

} // namespace

class TestDebPackage : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;
    QString m_deb;

    QString Field(const char* name) const {
        return Trimmed(RunProgram(QStringLiteral("dpkg-deb"), {"-f", m_deb, name}).out);
    }

  private slots:
    void initTestCase() {
        const ProcessResult made =
            RunProgram(QStringLiteral("bash"), {qEnvironmentVariable("LINEATIX_SOURCE_DIR") +
                                                    QStringLiteral("/scripts/make-deb.sh"),
                                                "--from", BuildDir(), m_dir.path()});
        QVERIFY2(made.exitCode == 0, made.err.constData());
        m_deb = Trimmed(made.out);
        const QString arch =
            Trimmed(RunProgram(QStringLiteral("dpkg"), {"--print-architecture"}).out);
        QCOMPARE(m_deb,
                 m_dir.filePath(QStringLiteral("lineatix_%1_%2.deb").arg(ProjectVersion(), arch)));
        QVERIFY(QFile::exists(m_deb));
    }

    void control() {
        QCOMPARE(Field("Package"), QStringLiteral("lineatix"));
        QCOMPARE(Field("Version"), ProjectVersion());
        QVERIFY(Field("Installed-Size").toInt() > 0);
        QVERIFY(!Field("Maintainer").isEmpty());
        QVERIFY(!Field("Description").isEmpty());
    }

    // What the binaries link, as dpkg-shlibdeps computed it (a library whose
    // symbols go unused is left out), and what Qt loads at run time without
    // any binary naming it.
    void dependencies() {
        const QStringList names = PackageNames(Field("Depends"));
        for (const char* expected :
             {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
              "libqt6printsupport6", "libqt6svg6", "qt6-qpa-plugins", "qt6-image-formats-plugins",
              "fonts-liberation", "qt6-translations-l10n"})
            QVERIFY2(names.contains(QLatin1String(expected)), expected);
        // Each name is a real Debian package: this machine has every one of them.
        for (const QString& name : names) {
            const ProcessResult status =
                RunProgram(QStringLiteral("dpkg-query"), {"-W", "-f=${Status}", name});
            QVERIFY2(status.out.endsWith("installed"), qPrintable(name));
        }
        // apt takes the package as it takes one from the archive: it would
        // install it, its dependencies met (simulated: nothing changes here).
        const ProcessResult apt = RunProgram(
            QStringLiteral("apt-get"), {"-s", "-q", "--no-install-recommends", "install", m_deb});
        QVERIFY2(apt.exitCode == 0, apt.err.constData());
        QVERIFY2(apt.out.contains("Inst lineatix ") || apt.out.contains("Conf lineatix "),
                 apt.out.constData());
    }

    // Every file under /usr, owned by root, with the modes a package wants.
    void fileList() {
        const ProcessResult list = RunProgram(QStringLiteral("dpkg-deb"), {"-c", m_deb});
        QCOMPARE(list.exitCode, 0);
        QMap<QString, QString> modes; // path -> permissions
        for (const QString& line : QString::fromUtf8(list.out).split(QLatin1Char('\n'))) {
            const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (fields.size() < 6) continue;
            QCOMPARE(fields.at(1), QStringLiteral("root/root"));
            const QString path = fields.at(5);
            QVERIFY2(path == QLatin1String("./") || path.startsWith(QLatin1String("./usr/")),
                     qPrintable(path));
            modes.insert(path, fields.at(0));
        }
        // The instrument simulator goes with the program, for practice without
        // the instruments.
        for (const char* program : {"lineatix", "lineatix-sim"})
            QCOMPARE(modes.value(QStringLiteral("./usr/bin/") + QLatin1String(program)),
                     QStringLiteral("-rwxr-xr-x"));
        QStringList data{"./usr/share/applications/lineatix.desktop",
                         "./usr/share/mime/packages/lineatix.xml",
                         "./usr/share/icons/hicolor/scalable/apps/lineatix.svg",
                         "./usr/lib/udev/rules.d/60-lineatix-usbtmc.rules"};
        for (int size : kProgramIconSizes)
            data << QStringLiteral("./usr/share/icons/hicolor/%1x%1/apps/lineatix.png").arg(size);
        // The manual pages, when the build could make them.
        if (!QStandardPaths::findExecutable(QStringLiteral("help2man")).isEmpty())
            data << "./usr/share/man/man1/lineatix.1.gz"
                 << "./usr/share/man/man1/lineatix-sim.1.gz";
        for (const QString& path : data)
            QVERIFY2(modes.value(path) == QLatin1String("-rw-r--r--"), qPrintable(path));
    }

    // Unpacked, the program runs and each theme icon has the size its folder says.
    void unpackedFilesWork() {
        const QString root = m_dir.filePath(QStringLiteral("root"));
        QCOMPARE(RunProgram(QStringLiteral("dpkg-deb"), {"-x", m_deb, root}).exitCode, 0);
        const ProcessResult saved = RunProgram(root + QStringLiteral("/usr/bin/lineatix"),
                                               {"--save", m_dir.filePath(QStringLiteral("x.cod"))});
        QVERIFY2(saved.exitCode == 0, saved.err.constData());
        // The manual page is the installed program's own help.
        const QString page = root + QStringLiteral("/usr/share/man/man1/lineatix.1.gz");
        if (QFile::exists(page)) {
            const ProcessResult text = RunProgram(QStringLiteral("gzip"), {"-dc", page});
            QVERIFY(text.out.contains("--fit CURVE FROM TO DEGREE"));
        }
        for (int size : kProgramIconSizes) {
            const QImage icon(
                root +
                QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/lineatix.png").arg(size));
            QCOMPARE(icon.size(), QSize(size, size));
        }
        // The udev rule gives the usbtmc devices to plugdev, readable and
        // writable: one rule matching on the driver's class and node name.
        const QStringList rules =
            QString::fromUtf8(
                ReadFileBytes(root +
                              QStringLiteral("/usr/lib/udev/rules.d/60-lineatix-usbtmc.rules")))
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                .filter(QRegularExpression(QStringLiteral("^[^#]")));
        QCOMPARE(rules.size(), 1);
        QStringList keys = rules.first().split(QStringLiteral(", "));
        keys.sort();
        QCOMPARE(keys, QStringList({"GROUP=\"plugdev\"", "KERNEL==\"usbtmc[0-9]*\"",
                                    "MODE=\"0660\"", "SUBSYSTEM==\"usbmisc\""}));
        QCOMPARE(RunProgram(QStringLiteral("getent"), {"group", "plugdev"}).exitCode, 0);
    }
};

QTEST_GUILESS_MAIN(TestDebPackage)
#include "tst_debpackage.moc"
