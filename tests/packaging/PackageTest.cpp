// The Debian package as a user gets it: built by cpack from this build
// folder once, its control fields and files, both programs run from the
// unpacked tree, the desktop files through their validators, the manual
// pages through man, and lintian.

#include "CutJob.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kSource = QStringLiteral(KROYNA_SOURCE_DIR);
const QString kVersion = QStringLiteral(KROYNA_VERSION);

struct Ran {
  bool finished = false;
  int status = -1;
  QString out;
  QString err;
  std::string both() const { return (out + err).toStdString(); }
};

Ran run(const QString& program, const QStringList& args,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(), int timeoutMs = 120000) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  Ran r;
  if (!p.waitForStarted(20000)) {
    r.err = QStringLiteral("cannot start %1: %2").arg(program, p.errorString());
    return r;
  }
  p.closeWriteChannel();
  r.finished = p.waitForFinished(timeoutMs);
  if (!r.finished) {
    p.kill();
    p.waitForFinished(10000);
  }
  r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Relative names of the files under a folder, sorted.
QStringList filesUnder(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
  files.sort();
  return files;
}

// Every key of every object in a JSON value.
void collectKeys(const QJsonValue& value, QSet<QString>& keys) {
  if (value.isObject()) {
    const QJsonObject o = value.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
      keys << it.key();
      collectKeys(it.value(), keys);
    }
  } else if (value.isArray()) {
    for (const QJsonValue& v : value.toArray()) collectKeys(v, keys);
  }
}

// The package, built once for every check of this program.
struct Package {
  QString skipped;  // why nothing can be checked here
  QString failure;  // why the package could not be built or read
  std::unique_ptr<QTemporaryDir> work;
  QString deb;
  QString root;     // the unpacked files
  QString control;  // the unpacked control archive
  QMap<QString, QString> fields;
  struct Entry {
    QString mode;
    QString owner;
    QString path;  // "/usr/bin/kroyna", folders without the trailing '/'
  };
  QList<Entry> entries;
};

Package buildPackage() {
  Package p;
  const QString dpkgDeb = QStandardPaths::findExecutable(QStringLiteral("dpkg-deb"));
  if (dpkgDeb.isEmpty()) {
    p.skipped = QStringLiteral("dpkg-deb not found: the package test is skipped");
    return p;
  }
  p.work = std::make_unique<QTemporaryDir>();
  const QString out = p.work->filePath(QStringLiteral("out"));
  const Ran cpack = run(QStringLiteral(KROYNA_CPACK),
                        {"-G", "DEB", "--config", QStringLiteral(KROYNA_BINARY_DIR "/CPackConfig.cmake"), "-B", out},
                        QProcessEnvironment::systemEnvironment(), 600000);
  if (!cpack.finished || cpack.status != 0) {
    p.failure = QStringLiteral("cpack failed:\n") + cpack.out + cpack.err;
    return p;
  }
  const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
  if (debs.size() != 1) {
    p.failure = QStringLiteral("cpack made %1 packages instead of one:\n%2").arg(debs.size()).arg(cpack.out);
    return p;
  }
  p.deb = out + QLatin1Char('/') + debs[0];

  const Ran fields = run(dpkgDeb, {"-f", p.deb});
  QString key;
  for (const QString& line : fields.out.split(QLatin1Char('\n'))) {
    if (line.startsWith(QLatin1Char(' ')) && !key.isEmpty()) {
      p.fields[key] += QLatin1Char('\n') + line.mid(1);
    } else if (const qsizetype colon = line.indexOf(QLatin1Char(':')); colon > 0) {
      key = line.left(colon);
      p.fields[key] = line.mid(colon + 1).trimmed();
    }
  }
  const Ran contents = run(dpkgDeb, {"-c", p.deb});
  static const QRegularExpression entry(QStringLiteral(R"(^(\S+)\s+(\S+)\s+\d+\s+\S+\s+\S+\s+\.(/.*)$)"));
  for (const QString& line : contents.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QRegularExpressionMatch m = entry.match(line);
    if (!m.hasMatch()) {
      p.failure = QStringLiteral("unexpected line in the contents of the package: ") + line;
      return p;
    }
    QString path = m.captured(3);
    if (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    p.entries.push_back({m.captured(1), m.captured(2), path});
  }
  p.root = p.work->filePath(QStringLiteral("root"));
  p.control = p.work->filePath(QStringLiteral("control"));
  const Ran unpack = run(dpkgDeb, {"-x", p.deb, p.root});
  const Ran control = run(dpkgDeb, {"-e", p.deb, p.control});
  if (fields.status != 0 || contents.status != 0 || unpack.status != 0 || control.status != 0)
    p.failure =
        QStringLiteral("dpkg-deb cannot read the package:\n") + fields.err + contents.err + unpack.err + control.err;
  return p;
}

class PackageTest : public ::testing::Test {
 protected:
  static Package& package() {
    static Package p = buildPackage();
    return p;
  }
  void SetUp() override {
    if (!package().skipped.isEmpty()) GTEST_SKIP() << package().skipped.toStdString();
    ASSERT_TRUE(package().failure.isEmpty()) << package().failure.toStdString();
  }
  static QString unpacked(const QString& path) { return package().root + path; }
  static QString tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }
  // The environment of a program started from the unpacked tree: no
  // display, no data root or shipped folder chosen from outside.
  static QProcessEnvironment cleanEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KROYNA_HOME", "KROYNA_DATA_DIR",
                             "KROYNA_QUIT_AFTER_MS", "KROYNA_AUTO_ANSWER_MESSAGES"})
      env.remove(QString::fromLatin1(name));
    return env;
  }
};

TEST_F(PackageTest, ControlFieldsNameTheProgramAndTheLibrariesDpkgShlibdepsFound) {
  const auto& f = package().fields;
  EXPECT_EQ(f.value("Package"), "kroyna");
  EXPECT_EQ(f.value("Version"), kVersion);
  if (const QString dpkg = tool("dpkg"); !dpkg.isEmpty()) {
    EXPECT_EQ(f.value("Architecture"), run(dpkg, {"--print-architecture"}).out.trimmed());
  }
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^[^<>]+ <[^@<> ]+@[^@<> ]+\\.[a-z]+>$"))
                  .match(f.value("Maintainer"))
                  .hasMatch())
      << f.value("Maintainer").toStdString();
  EXPECT_FALSE(f.value("Section").isEmpty());
  EXPECT_EQ(f.value("Priority"), "optional");
  const QStringList description = f.value("Description").split(QLatin1Char('\n'));
  ASSERT_GT(description.size(), 3);
  EXPECT_LE(description[0].size(), 80);
  EXPECT_TRUE(description[1].startsWith(QStringLiteral("Kroyna plans the cutting")));

  // The libraries the programs link, each with the lowest version their
  // symbols need.
  const QString depends = f.value("Depends");
  for (const char* library : {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                              "libqt6printsupport6", "libxlsxwriter", "libzint"}) {
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("(^|, )%1[0-9.]* \\(>= [^)]+\\)").arg(QRegularExpression::escape(library)))
            .match(depends)
            .hasMatch())
        << library << " missing from Depends: " << depends.toStdString();
  }
  // Qt's own dialogs are translated by Qt's catalogue, loaded at start-up.
  EXPECT_TRUE(QRegularExpression(QStringLiteral("(^|, )qt6-translations-l10n(,|$| )")).match(depends).hasMatch())
      << depends.toStdString();

  // No maintainer scripts: installing and removing run nothing, so removing
  // the package leaves every user's data root as it is.
  EXPECT_EQ(filesUnder(package().control), (QStringList{"control", "md5sums"}));
  // dpkg can verify every file it installs.
  int regular = 0;
  for (const auto& e : package().entries) regular += e.mode.startsWith(QLatin1Char('-'));
  EXPECT_EQ(readBytes(package().control + "/md5sums").count('\n'), regular);
}

TEST_F(PackageTest, InstallsTheProgramsTheShippedDataAndTheDesktopFilesUnderUsr) {
  QStringList expected = {
      "/usr/bin/kroyna",
      "/usr/bin/kroyna-cut",
      "/usr/share/applications/org.kroyna.Kroyna.desktop",
      "/usr/share/metainfo/org.kroyna.Kroyna.metainfo.xml",
      "/usr/share/mime/packages/kroyna.xml",
      "/usr/share/icons/hicolor/scalable/apps/kroyna.svg",
      "/usr/share/icons/hicolor/48x48/apps/kroyna.png",
      "/usr/share/icons/hicolor/256x256/apps/kroyna.png",
      "/usr/share/man/man1/kroyna.1.gz",
      "/usr/share/man/man1/kroyna-cut.1.gz",
      "/usr/share/doc/kroyna/copyright",
      "/usr/share/doc/kroyna/changelog.gz",
  };
  const QStringList shipped = filesUnder(kSource + "/data");
  for (const QString& f : shipped) expected << "/usr/share/kroyna/" + f;
  ASSERT_TRUE(shipped.contains("Pattern/Group.dbf"));
  ASSERT_TRUE(shipped.contains("Reports/Group.frf"));
  ASSERT_TRUE(shipped.contains(QString::fromUtf8("Example/Groups/Пример.krb")));
  expected.sort();

  QStringList files;
  for (const auto& e : package().entries) {
    EXPECT_EQ(e.owner, "root/root") << e.path.toStdString();
    if (e.mode.startsWith(QLatin1Char('d'))) {
      EXPECT_EQ(e.mode, "drwxr-xr-x") << e.path.toStdString();
      continue;
    }
    files << e.path;
    const bool program = e.path.startsWith(QStringLiteral("/usr/bin/"));
    EXPECT_EQ(e.mode, program ? "-rwxr-xr-x" : "-rw-r--r--") << e.path.toStdString();
  }
  files.sort();
  EXPECT_EQ(files, expected);

  // The shipped files are the ones of the source tree, byte for byte.
  for (const QString& f : shipped)
    EXPECT_EQ(readBytes(unpacked("/usr/share/kroyna/" + f)), readBytes(kSource + "/data/" + f)) << f.toStdString();

  // Each picture is of the size its folder promises.
  for (int size : {48, 256}) {
    const QByteArray png =
        readBytes(unpacked(QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/kroyna.png").arg(size)));
    ASSERT_GE(png.size(), 24);
    ASSERT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
    const auto be32 = [&png](int at) {
      return (static_cast<quint8>(png[at]) << 24) | (static_cast<quint8>(png[at + 1]) << 16) |
             (static_cast<quint8>(png[at + 2]) << 8) | static_cast<quint8>(png[at + 3]);
    };
    EXPECT_EQ(be32(16), size);
    EXPECT_EQ(be32(20), size);
  }
  EXPECT_TRUE(readBytes(unpacked("/usr/share/icons/hicolor/scalable/apps/kroyna.svg")).contains("<svg"));
}

TEST_F(PackageTest, UnpackedCutterPrintsItsVersionAndLaysOutABenchmarkJob) {
  const QString cutter = unpacked("/usr/bin/kroyna-cut");
  const Ran version = run(cutter, {"--version"}, cleanEnvironment());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "kroyna-cut " + kVersion + "\n");

  const Ran wrong = run(cutter, {"--no-such-option", "job.json"}, cleanEnvironment());
  EXPECT_EQ(wrong.status, 2);
  EXPECT_TRUE(wrong.out.isEmpty());
  EXPECT_TRUE(wrong.err.contains("--no-such-option")) << wrong.err.toStdString();

  const QString jobPath = kSource + "/bench/jobs/small.json";
  const Ran cut = run(cutter, {jobPath}, cleanEnvironment(), 300000);
  ASSERT_TRUE(cut.finished);
  ASSERT_EQ(cut.status, 0) << cut.err.toStdString();
  const QJsonObject job = QJsonDocument::fromJson(readBytes(jobPath)).object();
  const QJsonObject result = QJsonDocument::fromJson(cut.out.toUtf8()).object();
  ASSERT_FALSE(result.isEmpty()) << cut.out.toStdString();
  long copies = 0;
  for (const QJsonValue part : job["parts"].toArray()) copies += std::max(0, part["many"].toInt());
  long placed = 0;
  for (const QJsonValue map : result["maps"].toArray())
    placed += static_cast<long>(map["parts"].toArray().size()) * map["quantity"].toInt();
  ASSERT_GT(copies, 0);
  EXPECT_EQ(placed, copies);
  EXPECT_EQ(result["state"].toInt(), 0);  // the state of the pass that placed the last copy
  EXPECT_TRUE(result["unplaced"].toArray().isEmpty());
}

TEST_F(PackageTest, UnpackedProgramFillsAFreshDataRootFromTheShareFolderBesideIt) {
  const QString program = unpacked("/usr/bin/kroyna");
  const QString home = package().work->filePath("home");

  // --version and a wrong option need no display and touch no data root.
  const Ran version = run(program, {"--version"}, cleanEnvironment());
  EXPECT_EQ(version.status, 0) << version.err.toStdString();
  EXPECT_EQ(version.out, "kroyna " + kVersion + "\n");
  const Ran wrong = run(program, {"--home", home, "--no-such-option"}, cleanEnvironment());
  EXPECT_EQ(wrong.status, 2);
  EXPECT_TRUE(wrong.err.contains("--no-such-option")) << wrong.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(home));

  // A report template only this unpacked tree has: it reaches the data
  // root only when the program takes its files from ../share/kroyna.
  const QString share = unpacked("/usr/share/kroyna");
  {
    QFile marker(share + "/Reports/Unpacked.frf");
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.write("from the unpacked package");
  }

  QProcessEnvironment env = cleanEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("KROYNA_AUTO_ANSWER_MESSAGES", "1");
  env.insert("KROYNA_QUIT_AFTER_MS", "500");
  const Ran start = run(program, {"--home", home}, env, 300000);
  ASSERT_TRUE(start.finished) << "the program did not close by itself: " << start.both();
  EXPECT_EQ(start.status, 0) << start.both();

  for (const char* folder : {"Pattern", "Reports"}) {
    const QStringList files = filesUnder(share + "/" + folder);
    EXPECT_FALSE(files.isEmpty());
    for (const QString& f : files) {
      const QString rel = QString::fromLatin1(folder) + "/" + f;
      EXPECT_EQ(readBytes(home + "/" + rel), readBytes(share + "/" + rel)) << rel.toStdString();
    }
  }
  EXPECT_EQ(readBytes(home + "/Reports/Unpacked.frf"), "from the unpacked package");
  // The example: its order, catalogues and stock.
  for (const QString& f : filesUnder(share + "/Example"))
    EXPECT_TRUE(QFileInfo(home + "/" + f).isFile()) << f.toStdString();
  EXPECT_TRUE(QFileInfo(home + QString::fromUtf8("/Groups/Пример.krb")).isFile());
  for (const char* folder : {"Sheets", "Groups", "Maps", "Temp", "Warehouse", "AutoRun"})
    EXPECT_TRUE(QFileInfo(home + "/" + folder).isDir()) << folder;
}

TEST_F(PackageTest, DesktopEntryMetainfoAndFileTypesAgreeAndPassTheirValidators) {
  const QString desktop = unpacked("/usr/share/applications/org.kroyna.Kroyna.desktop");
  const QString metainfo = unpacked("/usr/share/metainfo/org.kroyna.Kroyna.metainfo.xml");
  const QString mime = unpacked("/usr/share/mime/packages/kroyna.xml");

  // The desktop entry starts the installed program with the files chosen,
  // and offers it for exactly the file types the package declares.
  const QString entry = QString::fromUtf8(readBytes(desktop));
  const auto value = [&entry](const char* key) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^%1=(.*)$").arg(QLatin1String(key)), QRegularExpression::MultilineOption)
            .match(entry);
    return m.captured(1);
  };
  EXPECT_EQ(value("Exec"), "kroyna %F");
  EXPECT_EQ(value("Icon"), "kroyna");
  QStringList offered = value("MimeType").split(QLatin1Char(';'), Qt::SkipEmptyParts);
  offered.sort();
  QStringList declared;
  auto types = QRegularExpression(QStringLiteral(R"re(<mime-type type="([^"]+)")re")).globalMatch(readBytes(mime));
  while (types.hasNext()) declared << types.next().captured(1);
  declared.sort();
  EXPECT_EQ(offered, (QStringList{"application/x-kroyna-maps", "application/x-kroyna-parts"}));
  EXPECT_EQ(offered, declared);
  EXPECT_TRUE(readBytes(metainfo).contains("<launchable type=\"desktop-id\">org.kroyna.Kroyna.desktop</launchable>"));
  EXPECT_TRUE(readBytes(metainfo).contains("<release version=\"" + kVersion.toUtf8() + "\""));

  if (const QString validate = tool("desktop-file-validate"); validate.isEmpty()) {
    std::cout << "desktop-file-validate not found: not run\n";
  } else {
    const Ran r = run(validate, {desktop});
    EXPECT_EQ(r.status, 0) << r.both();
    EXPECT_TRUE((r.out + r.err).trimmed().isEmpty()) << r.both();
  }
  if (const QString appstream = tool("appstreamcli"); appstream.isEmpty()) {
    std::cout << "appstreamcli not found: not run\n";
  } else {
    const Ran r = run(appstream, {"validate", "--no-net", metainfo});
    EXPECT_EQ(r.status, 0) << r.both();
  }
  if (const QString update = tool("update-mime-database"); update.isEmpty()) {
    std::cout << "update-mime-database not found: not run\n";
  } else {
    // The file types as the desktop's database reads them.
    const QString db = package().work->filePath("mime");
    ASSERT_TRUE(QDir().mkpath(db + "/packages"));
    ASSERT_TRUE(QFile::copy(mime, db + "/packages/kroyna.xml"));
    const Ran r = run(update, {"-V", db});
    EXPECT_EQ(r.status, 0) << r.both();
    EXPECT_FALSE(r.err.contains("rror")) << r.both();
    const QString globs = QString::fromUtf8(readBytes(db + "/globs2"));
    EXPECT_TRUE(globs.contains("application/x-kroyna-parts:*.krb")) << globs.toStdString();
    EXPECT_TRUE(globs.contains("application/x-kroyna-maps:*.map")) << globs.toStdString();
    EXPECT_TRUE(readBytes(db + "/magic").contains("application/x-kroyna-maps"));
  }
}

TEST_F(PackageTest, ManualPagesRenderAndDescribeEveryOptionAndEveryJobAndResultField) {
  const QString man = tool("man");
  if (man.isEmpty()) GTEST_SKIP() << "man not found: not run";
  QProcessEnvironment env = cleanEnvironment();
  env.insert("LANG", "C.UTF-8");
  env.insert("MANWIDTH", "80");
  env.remove("MAN_KEEP_FORMATTING");
  env.remove("MANPAGER");
  env.remove("PAGER");
  // Each page renders without a warning and has the usual sections.
  const auto render = [&](const char* page) {
    const Ran r = run(man,
                      {"--warnings", "-E", "UTF-8", "-l",
                       unpacked(QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(QLatin1String(page)))},
                      env);
    EXPECT_EQ(r.status, 0) << page << ": " << r.both();
    EXPECT_TRUE(r.err.trimmed().isEmpty()) << page << ": " << r.err.toStdString();
    QString text = r.out;
    text.replace(QChar(0x2010), QLatin1Char('-')).replace(QChar(0x2212), QLatin1Char('-'));
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "SEE ALSO"})
      EXPECT_TRUE(text.contains(QLatin1String("\n") + QLatin1String(section) + QLatin1String("\n")))
          << page << " lacks " << section;
  };
  // The page's source: the tags of its items (options, fields) and its
  // prose, the examples left out, with the roff escapes taken away.
  struct Source {
    QString tags;
    QString prose;
  };
  const auto source = [](const char* page) {
    const Ran r = run(QStringLiteral("gzip"),
                      {"-dc", unpacked(QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(QLatin1String(page)))});
    EXPECT_EQ(r.status, 0) << r.both();
    static const QRegularExpression escapes(QStringLiteral(R"re(\\f[BIRP]|\\[&|]|")re"));
    static const QRegularExpression named(QStringLiteral(R"re(\\\([a-z]{2})re"));
    Source s;
    bool example = false;
    bool tag = false;
    for (QString line : r.out.split(QLatin1Char('\n'))) {
      line.replace(QStringLiteral("\\-"), QStringLiteral("-")).remove(escapes).replace(named, QStringLiteral(" "));
      if (line.startsWith(QStringLiteral(".nf"))) example = true;
      if (line.startsWith(QStringLiteral(".fi"))) example = false;
      if (example || line.startsWith(QStringLiteral(".\\")) || line.startsWith(QStringLiteral(".TH"))) continue;
      if (tag) s.tags += line + QLatin1Char('\n');
      tag = line.startsWith(QStringLiteral(".TP"));
      s.prose += line + QLatin1Char('\n');
    }
    return s;
  };
  const auto mentions = [](const QString& text, const QString& word) {
    return QRegularExpression(QStringLiteral("(?<![\\w-])%1(?![\\w-])").arg(QRegularExpression::escape(word)))
        .match(text)
        .hasMatch();
  };
  // Every option --help names has an item of its own in the page.
  static const QRegularExpression option(QStringLiteral(R"((?<![\w-])(--?[a-z][a-z-]*))"));
  for (const char* program : {"kroyna", "kroyna-cut"}) {
    render(program);
    const Source page = source(program);
    const Ran help = run(unpacked("/usr/bin/") + QLatin1String(program), {"--help"}, cleanEnvironment());
    ASSERT_EQ(help.status, 0) << help.both();
    QSet<QString> options;
    for (auto it = option.globalMatch(help.out); it.hasNext();) options << it.next().captured(1);
    EXPECT_GE(options.size(), 5) << help.out.toStdString();
    for (const QString& o : options)
      EXPECT_TRUE(mentions(page.tags, o)) << program << "(1) does not describe " << o.toStdString();
  }

  // Every field of the job and of the result of kroyna-cut is described,
  // not only shown in an example.
  const QString cutPage = source("kroyna-cut").prose;
  kroyna::cut::CutJob job;
  job.Params.SheetLength = 1000;
  job.Params.SheetWidth = 1000;
  job.Params.UseOffcuts = true;
  job.Offcuts.push_back({"A1", 600, 500, 1});
  job.Parts.push_back({"P1", 900, 900, 2});
  QSet<QString> jobFields;
  collectKeys(QJsonDocument::fromJson(QByteArray::fromStdString(kroyna::cut::serializeJob(job))).object(), jobFields);
  EXPECT_GE(jobFields.size(), 20);
  for (const QString& f : jobFields) EXPECT_TRUE(mentions(cutPage, f)) << "job field " << f.toStdString();

  // A job whose sheets run out: maps with parts, offcuts and cuts, and
  // copies left over.
  QTemporaryDir dir;
  QFile jobFile(dir.filePath("job.json"));
  ASSERT_TRUE(jobFile.open(QIODevice::WriteOnly));
  jobFile.write(R"({"sheet": {"length": 1000, "width": 1000}, "stockControl": true, "stockCount": 1,
                   "parts": [{"name": "P1", "length": 900, "width": 500, "many": 3}]})");
  jobFile.close();
  const Ran cut = run(unpacked("/usr/bin/kroyna-cut"), {jobFile.fileName()}, cleanEnvironment());
  ASSERT_EQ(cut.status, 0) << cut.both();
  const QJsonObject result = QJsonDocument::fromJson(cut.out.toUtf8()).object();
  ASSERT_FALSE(result["unplaced"].toArray().isEmpty()) << cut.out.toStdString();
  ASSERT_FALSE(result["maps"].toArray().at(0).toObject()["cuts"].toArray().isEmpty()) << cut.out.toStdString();
  QSet<QString> resultFields;
  collectKeys(result, resultFields);
  EXPECT_GE(resultFields.size(), 20);
  for (const QString& f : resultFields) EXPECT_TRUE(mentions(cutPage, f)) << "result field " << f.toStdString();
}

TEST_F(PackageTest, LintianFindsNoError) {
  const QString lintian = tool("lintian");
  if (lintian.isEmpty()) GTEST_SKIP() << "lintian not found: not run";
  const Ran r = run(lintian, {"--fail-on", "error", package().deb}, QProcessEnvironment::systemEnvironment(), 600000);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.status, 0) << r.both();
  EXPECT_FALSE(QRegularExpression(QStringLiteral("^E: "), QRegularExpression::MultilineOption).match(r.out).hasMatch())
      << r.out.toStdString();
  // What it still says, for whoever reads the log.
  std::cout << r.out.toStdString();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
