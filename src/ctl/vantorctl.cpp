#include "ctl/vantorctl.h"

#include "core/device/showfile.h"
#include "core/device/streamfiles.h"
#include "core/model/show.h"
#include "core/project/legacyimport.h"
#include "core/project/legacyproject.h"
#include "core/project/picturelibrary.h"
#include "core/project/projectnames.h"
#include "core/render/textpattern.h"
#include "ctl/multiupload.h"
#include "ctl/projectshow.h"
#include "gui/audio/beatsearch.h"
#include "gui/device/portline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTranslator>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace vc::ctl {

namespace {

const char *const Program = "vantorctl";

// Set by main(): progress lines may be redrawn in place.
bool g_errIsTerminal = false;

// Ctrl+C during an upload stops the workers, which release their ports.
std::atomic_bool g_interrupted{false};

void onInterrupt(int signal)
{
    g_interrupted = true;
    // A second Ctrl+C ends the program at once.
    std::signal(signal, SIG_DFL);
}

bool interrupted()
{
    return g_interrupted.load();
}

struct Streams
{
    QTextStream &out;
    QTextStream &err;
};

QString overallHelp()
{
    return QStringLiteral(
        "Usage: vantorctl COMMAND [options]\n"
        "\n"
        "Exports and uploads the shows of VantorCreator projects, with the bytes the\n"
        "editor gives for the same project and settings.\n"
        "\n"
        "Commands:\n"
        "  info     describe a project: LED count, frame rate, song, tracks, modes\n"
        "  export   write the show file (*.bin) of one track\n"
        "  streams  write the two raw streams of one track's show image\n"
        "  upload   upload the show of one track to one prop, or to several at once\n"
        "  convert  import an old text project (*.vtc) and save it in the current format\n"
        "  beats    find the tempo and the beats of a song\n"
        "\n"
        "Run \"vantorctl COMMAND --help\" for the options of a command.\n"
        "Exit status: 0 success, 1 the operation failed, 2 a usage error.\n");
}

void usageError(const Streams &s, const QString &command, const QString &what)
{
    const QString name = command.isEmpty() ? QLatin1String(Program)
                                           : QLatin1String(Program) + QLatin1Char(' ') + command;
    s.err << name << ": " << what << '\n' << "Try \"" << name << " --help\".\n";
}

void failure(const Streams &s, const QString &what)
{
    s.err << Program << ": " << what << '\n';
}

// A parser for one command. Its help shows "vantorctl COMMAND".
class CommandLine
{
public:
    CommandLine(const QString &command, const QString &description, const QString &positional,
                const QString &positionalHelp)
        : m_command(command)
    {
        m_parser.setApplicationDescription(description);
        m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        m_parser.addHelpOption();
        if (!positional.isEmpty())
            m_parser.addPositionalArgument(positional, positionalHelp);
        m_positionals = positional.isEmpty() ? 0 : 1;
        m_positionalName = positional;
    }

    QCommandLineParser &parser() { return m_parser; }
    void add(const QCommandLineOption &option) { m_parser.addOption(option); }

    // Parses the arguments after the command. Returns -1 when the command
    // goes on, else the exit status (help shown, or a usage error).
    int parse(const QStringList &arguments, const Streams &s)
    {
        QStringList args{QLatin1String(Program)};
        args << arguments;
        if (!m_parser.parse(args)) {
            usageError(s, m_command, m_parser.errorText());
            return ExitUsage;
        }
        if (m_parser.isSet(QStringLiteral("help"))) {
            QString help = m_parser.helpText();
            help.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                         QLatin1String("Usage: ") + QLatin1String(Program) + QLatin1Char(' ') +
                             m_command);
            s.out << help;
            return ExitOk;
        }
        const QStringList positional = m_parser.positionalArguments();
        if (positional.size() < m_positionals) {
            usageError(s, m_command, QStringLiteral("missing ") + m_positionalName);
            return ExitUsage;
        }
        if (positional.size() > m_positionals) {
            usageError(
                s, m_command,
                QStringLiteral("unexpected argument \"%1\"").arg(positional.at(m_positionals)));
            return ExitUsage;
        }
        return -1;
    }

    QString positional() const { return m_parser.positionalArguments().value(0); }
    QString command() const { return m_command; }

private:
    QString m_command;
    QCommandLineParser m_parser;
    int m_positionals = 0;
    QString m_positionalName;
};

// A command whose one argument is a project file.
CommandLine projectCommand(const QString &command, const QString &description)
{
    return CommandLine(command, description, QStringLiteral("PROJECT"),
                       QStringLiteral("The project file (*.vtc3)."));
}

// ---------------------------------------------------------------- options

const QCommandLineOption TrackOption(QStringLiteral("track"),
                                     QStringLiteral("Track N, numbered as the editor shows them: "
                                                    "1 is the bottom track (default 1)."),
                                     QStringLiteral("N"), QStringLiteral("1"));
const QCommandLineOption SlotOption(QStringLiteral("slot"),
                                    QStringLiteral("The prop's show slot S, 1 to 8 (default 1)."),
                                    QStringLiteral("S"), QStringLiteral("1"));
const QCommandLineOption
    NoRepeatOption(QStringLiteral("no-repeat"),
                   QStringLiteral("Play the show once (the editor's \"AutoRepeat\" "
                                  "unchecked); by default it loops."));
const QCommandLineOption StartOption(
    QStringLiteral("start-ms"),
    QStringLiteral("The start mark: the show begins M milliseconds into the song (default 0)."),
    QStringLiteral("M"), QStringLiteral("0"));

void addShowOptions(CommandLine &cl)
{
    cl.add(TrackOption);
    cl.add(SlotOption);
    cl.add(NoRepeatOption);
    cl.add(StartOption);
}

bool parseInt(const QString &text, int *value)
{
    bool ok = false;
    *value = text.trimmed().toInt(&ok, 10);
    return ok;
}

// The show options; false (after a usage error) when one is not a number.
bool showOptions(CommandLine &cl, const Streams &s, ShowOptions *options)
{
    QCommandLineParser &p = cl.parser();
    const struct
    {
        const QCommandLineOption &option;
        int *value;
    } numbers[] = {{TrackOption, &options->track},
                   {SlotOption, &options->slot},
                   {StartOption, &options->startMarkMs}};
    for (const auto &n : numbers) {
        const QString name = n.option.names().first();
        if (!parseInt(p.value(n.option), n.value)) {
            usageError(s, cl.command(),
                       QStringLiteral("--%1 needs a whole number, not \"%2\"")
                           .arg(name, p.value(n.option)));
            return false;
        }
    }
    if (options->startMarkMs < 0) {
        usageError(s, cl.command(), QStringLiteral("--start-ms cannot be negative"));
        return false;
    }
    options->autoRepeat = !p.isSet(NoRepeatOption);
    return true;
}

// Parses a command that takes the show options. Returns -1 when the command
// goes on, else the exit status (help shown, or a usage error).
int parseShowCommand(CommandLine &cl, const QStringList &args, const Streams &s,
                     ShowOptions *options)
{
    const int parsed = cl.parse(args, s);
    if (parsed >= 0)
        return parsed;
    return showOptions(cl, s, options) ? -1 : int(ExitUsage);
}

// Opens the project and builds the chosen track's show image into files.
// Reports and returns false on any refusal or failure.
bool buildStreams(const QString &projectPath, const ShowOptions &options,
                  const device::StreamFiles &files, const Streams &s,
                  device::BuildResult *built = nullptr)
{
    Project project;
    QString error;
    if (!openProject(projectPath, &project, &error)) {
        failure(s, error);
        return false;
    }
    QVector<device::ShowItem> items;
    device::ShowSettings settings;
    if (!prepareShow(project, options, &items, &settings, &error)) {
        failure(s, error);
        return false;
    }
    const device::StreamWriteResult result = device::writeStreamFiles(items, settings, files);
    if (!result.build.ok()) {
        failure(s, QDir::toNativeSeparators(projectPath) + QLatin1String(": ") +
                       refusalText(result.build, settings, options.track));
        return false;
    }
    if (!result.failedPath.isEmpty()) {
        failure(s, QDir::toNativeSeparators(result.failedPath) +
                       QLatin1String(": cannot be written: ") + result.error);
        return false;
    }
    if (built)
        *built = result.build;
    return true;
}

// Stream files in a private folder, so that the editor's own files (which
// an upload of the editor may be reading) are never touched.
struct PrivateStreams
{
    QTemporaryDir dir{QDir::tempPath() + QLatin1String("/vantorctl-XXXXXX")};
    // False (after reporting it) when the folder could not be made.
    bool ready(const Streams &s) const
    {
        if (!dir.isValid())
            failure(s, QStringLiteral("cannot make a temporary folder: ") + dir.errorString());
        return dir.isValid();
    }
    device::StreamFiles files() const
    {
        return {dir.filePath(QStringLiteral("extemp2.tmp")),
                dir.filePath(QStringLiteral("extemp.tmp"))};
    }
};

// ---------------------------------------------------------------- commands

int infoCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl = projectCommand(
        QStringLiteral("info"),
        QStringLiteral("Describes a project: LED count, frame rate and song, then one "
                       "line per track\n(number, mode count, first start, last end), "
                       "track 1 being the bottom track."));
    const QCommandLineOption modes(
        QStringLiteral("modes"),
        QStringLiteral("After each track, one tab-separated line per mode: start, end, kind, "
                       "repeat count, speed, parameter text."));
    cl.add(modes);
    const int parsed = cl.parse(args, s);
    if (parsed >= 0)
        return parsed;

    Project project;
    QString error;
    if (!openProject(cl.positional(), &project, &error)) {
        failure(s, error);
        return ExitFailed;
    }
    s.out << describeProject(project, cl.parser().isSet(modes));
    for (int t = 0; t < project.damaged.size(); ++t)
        for (int m : project.damaged.at(t))
            failure(s, QStringLiteral("%1: warning: track %2, mode %3: the record is damaged")
                           .arg(QDir::toNativeSeparators(project.path))
                           .arg(t + 1)
                           .arg(m));
    return ExitOk;
}

int exportCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl =
        projectCommand(QStringLiteral("export"),
                       QStringLiteral("Writes the show file that the editor's export button writes "
                                      "for the track,\nslot and start mark."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The show file to write (required). It is "
                                                   "replaced only once it is complete."),
                                    QStringLiteral("SHOW.bin"));
    cl.add(output);
    addShowOptions(cl);
    ShowOptions options;
    const int parsed = parseShowCommand(cl, args, s, &options);
    if (parsed >= 0)
        return parsed;
    const QString target = cl.parser().value(output);
    if (target.isEmpty()) {
        usageError(s, cl.command(), QStringLiteral("missing -o SHOW.bin"));
        return ExitUsage;
    }

    PrivateStreams streams;
    if (!streams.ready(s))
        return ExitFailed;
    device::BuildResult built;
    if (!buildStreams(cl.positional(), options, streams.files(), s, &built))
        return ExitFailed;
    QString error;
    if (!device::exportShowFile(target, streams.files().headerPath, streams.files().framePath,
                                &error)) {
        failure(s,
                QDir::toNativeSeparators(target) + QLatin1String(": cannot be written: ") + error);
        return ExitFailed;
    }
    s.err << QDir::toNativeSeparators(target) << ": track " << options.track << ", slot "
          << options.slot << ", " << built.blocks << (built.blocks == 1 ? " block" : " blocks")
          << '\n';
    return ExitOk;
}

int streamsCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl = projectCommand(
        QStringLiteral("streams"),
        QStringLiteral("Writes the header stream and the frame stream of the track's "
                       "show image, the two\nfiles the editor builds before an upload "
                       "or an export."));
    const QCommandLineOption header(QStringLiteral("header"),
                                    QStringLiteral("The header stream file to write (required)."),
                                    QStringLiteral("H"));
    const QCommandLineOption frames(QStringLiteral("frames"),
                                    QStringLiteral("The frame stream file to write (required)."),
                                    QStringLiteral("F"));
    cl.add(header);
    cl.add(frames);
    addShowOptions(cl);
    ShowOptions options;
    const int parsed = parseShowCommand(cl, args, s, &options);
    if (parsed >= 0)
        return parsed;
    const QString headerPath = cl.parser().value(header);
    const QString framePath = cl.parser().value(frames);
    if (headerPath.isEmpty() || framePath.isEmpty()) {
        usageError(s, cl.command(),
                   headerPath.isEmpty() ? QStringLiteral("missing --header H")
                                        : QStringLiteral("missing --frames F"));
        return ExitUsage;
    }
    if (QFileInfo(headerPath).absoluteFilePath() == QFileInfo(framePath).absoluteFilePath()) {
        usageError(s, cl.command(), QStringLiteral("--header and --frames name the same file"));
        return ExitUsage;
    }
    return buildStreams(cl.positional(), options, {headerPath, framePath}, s) ? ExitOk : ExitFailed;
}

int uploadCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl = projectCommand(
        QStringLiteral("upload"),
        QStringLiteral(
            "Uploads the track's show to a prop as the editor's upload button does.\n"
            "Without --port the prop is searched for as the editor searches (the variable\n"
            "VANTOR_SERIAL_PORTS replaces the system's port list). With several --port the\n"
            "show goes to all of them at once, one line of progress each; the exit status\n"
            "is 0 only when every prop confirmed the show. Ctrl+C stops the uploads."));
    addShowOptions(cl);
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("A serial port with a prop on it (repeat for several props)."),
        QStringLiteral("DEVICE"));
    const int editorFinalS = device::SerialTimings{}.finalAnswerMs / 1000;
    const QCommandLineOption finalTimeout(
        QStringLiteral("final-timeout-s"),
        QStringLiteral("How long to wait for the prop's answer after the whole show went out "
                       "(default: %1, as the editor waits; 0: without a limit).")
            .arg(editorFinalS),
        QStringLiteral("T"));
    cl.add(port);
    cl.add(finalTimeout);
    ShowOptions options;
    const int parsed = parseShowCommand(cl, args, s, &options);
    if (parsed >= 0)
        return parsed;

    device::SerialTimings timings;
    if (cl.parser().isSet(finalTimeout)) {
        bool ok = false;
        const double seconds = cl.parser().value(finalTimeout).toDouble(&ok);
        if (!ok || !(seconds >= 0) || seconds > 24.0 * 3600) {
            usageError(s, cl.command(),
                       QStringLiteral("--final-timeout-s needs a number of seconds from 0 to "
                                      "86400, not \"%1\"")
                           .arg(cl.parser().value(finalTimeout)));
            return ExitUsage;
        }
        timings.finalAnswerMs = seconds == 0 ? -1 : qMax(1, int(seconds * 1000));
    }
    const QStringList ports = cl.parser().values(port);
    QVector<QStringList> targets;
    for (const QString &p : ports) {
        for (const QStringList &t : qAsConst(targets)) {
            if (QFileInfo(t.first()).absoluteFilePath() == QFileInfo(p).absoluteFilePath()) {
                usageError(s, cl.command(), QStringLiteral("--port %1 is given twice").arg(p));
                return ExitUsage;
            }
        }
        targets.append(QStringList{p});
    }
    if (targets.isEmpty())
        targets.append(device::systemPortCandidates());

    PrivateStreams streams;
    if (!streams.ready(s))
        return ExitFailed;
    if (!buildStreams(cl.positional(), options, streams.files(), s))
        return ExitFailed;

    // From here on Ctrl+C (or a termination request) stops the workers, so
    // that the ports are released; a second one ends the program at once.
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    MultiUpload upload(streams.files(), timings, s.err, g_errIsTerminal);
    upload.setInterruptCheck(&interrupted);
    const QVector<MultiUpload::Outcome> outcomes = upload.run(targets);
    for (const MultiUpload::Outcome &o : outcomes)
        if (!o.success)
            return ExitFailed;
    return ExitOk;
}

int convertCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl(
        QStringLiteral("convert"),
        QStringLiteral(
            "Imports an old text project as the editor does (each line makes its mode as the\n"
            "editor's Insert would) and saves it in the current format. The old format\n"
            "keeps only the paths of its pictures: a picture mode whose picture cannot be\n"
            "found is left out, and the exit status is then 1 (the rest is saved all the same)."),
        QStringLiteral("OLD"), QStringLiteral("The old text project (*.vtc)."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The project file to write (required); "
                                                   "\".vtc3\" is added unless the name holds it."),
                                    QStringLiteral("NEW.vtc3"));
    const QCommandLineOption pictures(
        QStringLiteral("pictures"),
        QStringLiteral("A folder searched (with its subfolders) for pictures that are missing "
                       "where the project says, by file name, as the editor's picture search "
                       "does."),
        QStringLiteral("DIR"));
    cl.add(output);
    cl.add(pictures);
    const int parsed = cl.parse(args, s);
    if (parsed >= 0)
        return parsed;
    if (!cl.parser().isSet(output) || cl.parser().value(output).isEmpty()) {
        usageError(s, cl.command(), QStringLiteral("missing -o NEW.vtc3"));
        return ExitUsage;
    }
    const QString oldPath = cl.positional();
    const QString oldName = QDir::toNativeSeparators(oldPath);
    const QString target = withProjectSuffix(cl.parser().value(output));
    const QString targetName = QDir::toNativeSeparators(target);

    if (!QFileInfo::exists(oldPath)) {
        failure(s, oldName + QLatin1String(": no such file"));
        return ExitFailed;
    }
    if (isCurrentFormatName(oldPath)) {
        failure(s, oldName + QLatin1String(": already a project in the current format"));
        return ExitFailed;
    }
    LegacyProject legacy;
    QString error;
    if (!loadLegacyProjectFile(oldPath, &legacy, &error)) {
        failure(s, oldName + QLatin1String(": cannot be read: ") + error);
        return ExitFailed;
    }
    if (cl.parser().isSet(pictures)) {
        const QString dir = cl.parser().value(pictures);
        if (!QFileInfo(dir).isDir()) {
            failure(s, QDir::toNativeSeparators(dir) + QLatin1String(": no such folder"));
            return ExitFailed;
        }
        const int relinked = LegacyImporter::relinkPictures(legacy, PictureSearch(dir));
        if (relinked > 0)
            s.err << oldName << ": " << relinked
                  << (relinked == 1 ? " picture mode" : " picture modes") << " found in "
                  << QDir::toNativeSeparators(dir) << '\n';
    }

    // Every line makes its mode as the editor's Insert does, from a panel as
    // a freshly opened editor has it; nothing of the user's editor (its
    // settings, its window) takes part.
    const ModeProp prop = legacyProp(legacy);
    Show show;
    show.setLeds(prop.leds);
    show.setFrameRate(prop.frameRate);
    LegacyImporter importer(show, show.currentTrack(), TextPattern::fontFamilies());
    const LegacyImportReport report = importer.importModes(legacy);
    ProjectData converted;
    converted.leds = show.leds();
    converted.frameRate = show.frameRate();
    for (const Show::Track &track : show.tracks()) {
        QVector<QByteArray> records;
        for (const Show::Mode &mode : track.modes)
            records.append(mode.bytes);
        converted.tracks.append(records);
    }
    for (const QString &refusal : report.pictureErrors)
        s.err << oldName << ": " << refusal.simplified() << '\n';

    if (!saveProjectFile(target, converted, &error)) {
        failure(s, targetName + QLatin1String(": cannot be written: ") + error);
        return ExitFailed;
    }
    const int leftOut = report.missingPictureModes + report.unreadableLines;
    if (report.missingPictureModes > 0)
        s.err << oldName << ": " << report.missingPictureModes
              << (report.missingPictureModes == 1 ? " picture mode" : " picture modes")
              << " left out, picture not found: "
              << report.missingPictures.join(QLatin1String(", ")) << '\n';
    if (report.unreadableLines + report.skippedLines > 0)
        s.err << oldName << ": " << report.unreadableLines + report.skippedLines
              << (report.unreadableLines + report.skippedLines == 1 ? " line" : " lines")
              << " not understood, skipped\n";
    s.err << targetName << ": " << report.imported << (report.imported == 1 ? " mode" : " modes");
    if (leftOut > 0)
        s.err << ", " << leftOut << " left out";
    s.err << '\n';
    return report.complete() ? ExitOk : ExitFailed;
}

int beatsCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl(
        QStringLiteral("beats"),
        QStringLiteral(
            "Finds the beats of a song as the editor does after loading it. Prints the tempo\n"
            "in beats per minute on the first line (0 when the song has no beat to find),\n"
            "then the time of every beat in milliseconds from the song's start, one a line."),
        QStringLiteral("SONG"), QStringLiteral("The song (*.mp3, *.wav)."));
    const int parsed = cl.parse(args, s);
    if (parsed >= 0)
        return parsed;
    const QString song = cl.positional();
    const QString songName = QDir::toNativeSeparators(song);
    if (!QFileInfo(song).isFile()) {
        failure(s, songName + QLatin1String(": no such file"));
        return ExitFailed;
    }
    SongBeats beats;
    if (!BeatSearch::search(song, &beats)) {
        failure(s, songName + QLatin1String(": cannot be decoded"));
        return ExitFailed;
    }
    s.out << QString::number(beats.bpm, 'f', 2) << '\n';
    for (int ms : qAsConst(beats.ms))
        s.out << ms << '\n';
    return ExitOk;
}

} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const Streams s{out, err};
    int status = ExitUsage;
    const QString command = arguments.value(1);
    const QStringList rest = arguments.mid(2);
    if (command.isEmpty()) {
        usageError(s, QString(), QStringLiteral("missing COMMAND"));
    } else if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
               command == QLatin1String("help")) {
        out << overallHelp();
        status = ExitOk;
    } else if (command == QLatin1String("info")) {
        status = infoCommand(rest, s);
    } else if (command == QLatin1String("export")) {
        status = exportCommand(rest, s);
    } else if (command == QLatin1String("streams")) {
        status = streamsCommand(rest, s);
    } else if (command == QLatin1String("upload")) {
        status = uploadCommand(rest, s);
    } else if (command == QLatin1String("convert")) {
        status = convertCommand(rest, s);
    } else if (command == QLatin1String("beats")) {
        status = beatsCommand(rest, s);
    } else {
        usageError(s, QString(), QStringLiteral("unknown command \"%1\"").arg(command));
    }
    out.flush();
    err.flush();
    return status;
}

int main(int argc, char **argv)
{
    // The libraries' diagnostic output ("export", "SEND END") is for the
    // editor's debug log; QT_LOGGING_RULES still turns it on.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && qstrcmp(argv[1], "convert") == 0) {
        // The conversion draws texts and reads pictures: it needs a GUI
        // application (fonts, image formats), but no window and no display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Texts are drawn in points and pictures carry a resolution: both
        // as on a standard desktop screen (96 dots per inch), whatever the
        // virtual screen says. The fonts take it when the application is
        // made.
        QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true);
        app.reset(new QGuiApplication(argc, argv));
    } else {
        app.reset(new QCoreApplication(argc, argv));
    }

    // The messages the editor's upload worker reports, in English.
    QTranslator translator;
    if (translator.load(QStringLiteral(":/language/language/english.qm")))
        app->installTranslator(&translator);

#ifdef Q_OS_UNIX
    g_errIsTerminal = isatty(fileno(stderr)) == 1;
#endif
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(app->arguments(), out, err);
}

} // namespace vc::ctl
