#include "ctl/vantorctl.h"

#include "core/about/versionfile.h"
#include "core/audio/beatgrid.h"
#include "core/audio/songdecoder.h"
#include "core/device/multiupload.h"
#include "core/device/portline.h"
#include "core/device/showfile.h"
#include "core/device/streamfiles.h"
#include "core/model/show.h"
#include "core/project/legacyimport.h"
#include "core/project/legacyproject.h"
#include "core/project/picturelibrary.h"
#include "core/project/projectextras.h"
#include "core/project/projectnames.h"
#include "core/project/showproject.h"
#include "core/render/textpattern.h"
#include "core/video/videoencoder.h"
#include "ctl/projectshow.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSaveFile>
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
        "  publish-update  write a signed update (version file and downloads) into a folder\n"
        "  update-keygen   make a new key pair for signing updates\n"
        "  beats    find the tempo and the beats of a song\n"
        "  render-video  render one track as the preview shows it to a video with the song\n"
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
    // A pair of its own for each prop of a troupe.
    device::StreamFiles files(int prop) const
    {
        const QString n = QString::number(prop);
        return {dir.filePath(QStringLiteral("extemp2-%1.tmp").arg(n)),
                dir.filePath(QStringLiteral("extemp-%1.tmp").arg(n))};
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

// "PORT=TRACK": the port may itself hold "=", the track is after the last.
bool parsePropTarget(const QString &text, PropAssignment *prop)
{
    const int eq = text.lastIndexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    prop->port = text.left(eq);
    return parseInt(text.mid(eq + 1), &prop->track) && prop->track >= 1;
}

bool samePort(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

int uploadCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl = projectCommand(
        QStringLiteral("upload"),
        QStringLiteral(
            "Uploads the track's show to a prop as the editor's upload button does.\n"
            "Without --port the prop is searched for as the editor searches (the variable\n"
            "VANTOR_SERIAL_PORTS replaces the system's port list). With several --port the\n"
            "show goes to all of them at once, one line of progress each. With --to each\n"
            "port gets the show of its own track; without --port and --to, the props the\n"
            "project assigns to its tracks (the editor's Props dialog) get theirs. Ports\n"
            "that are missing or busy are reported before anything is sent. The exit\n"
            "status is 0 only when every prop confirmed the show. Ctrl+C stops the uploads."));
    addShowOptions(cl);
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("A serial port with a prop on it (repeat for several props)."),
        QStringLiteral("DEVICE"));
    const QCommandLineOption to(
        QStringLiteral("to"),
        QStringLiteral("Upload track N to the prop on port DEVICE (repeat for several props; "
                       "instead of --port and --track)."),
        QStringLiteral("DEVICE=N"));
    const int editorFinalS = device::SerialTimings{}.finalAnswerMs / 1000;
    const QCommandLineOption finalTimeout(
        QStringLiteral("final-timeout-s"),
        QStringLiteral("How long to wait for the prop's answer after the whole show went out "
                       "(default: %1, as the editor waits; 0: without a limit).")
            .arg(editorFinalS),
        QStringLiteral("T"));
    cl.add(port);
    cl.add(to);
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
    if (cl.parser().isSet(to) && (cl.parser().isSet(port) || cl.parser().isSet(TrackOption))) {
        usageError(s, cl.command(), QStringLiteral("--to goes without --port and --track"));
        return ExitUsage;
    }

    // The props: one per --to, else the project's own when no port is given.
    QVector<PropAssignment> props;
    for (const QString &text : cl.parser().values(to)) {
        PropAssignment prop;
        if (!parsePropTarget(text, &prop)) {
            usageError(
                s, cl.command(),
                QStringLiteral("--to needs DEVICE=N with a track N from 1, not \"%1\"").arg(text));
            return ExitUsage;
        }
        props.append(prop);
    }
    if (props.isEmpty() && !cl.parser().isSet(port)) {
        ProjectExtras extras;
        QString error;
        if (!readExtras(cl.positional(), &extras, &error)) {
            failure(s, QDir::toNativeSeparators(extrasPathFor(cl.positional())) +
                           QLatin1String(": ") + error);
            return ExitFailed;
        }
        for (const PropAssignment &prop : qAsConst(extras.props))
            if (!prop.port.isEmpty())
                props.append(prop);
    }
    for (const QString &p : cl.parser().values(port)) {
        PropAssignment prop;
        prop.port = p;
        prop.track = options.track;
        props.append(prop);
    }
    for (int i = 0; i < props.size(); ++i) {
        for (int j = 0; j < i; ++j) {
            if (samePort(props.at(i).port, props.at(j).port)) {
                usageError(s, cl.command(),
                           QStringLiteral("the port %1 is given twice").arg(props.at(i).port));
                return ExitUsage;
            }
        }
    }

    PrivateStreams streams;
    if (!streams.ready(s))
        return ExitFailed;
    QVector<device::MultiUpload::Target> targets;
    if (props.isEmpty()) {
        if (!buildStreams(cl.positional(), options, streams.files(), s))
            return ExitFailed;
        targets.append({device::systemPortCandidates(), streams.files(), QString()});
    }
    // Every show is built and every port checked before the first byte goes
    // out, so that a refusal leaves all props as they were.
    QStringList ports;
    for (int i = 0; i < props.size(); ++i) {
        ShowOptions own = options;
        own.track = props.at(i).track;
        // Props playing the same track share its files.
        int same = 0;
        while (props.at(same).track != own.track)
            ++same;
        if (same == i && !buildStreams(cl.positional(), own, streams.files(i), s))
            return ExitFailed;
        targets.append({{props.at(i).port}, streams.files(same), props.at(i).name});
        ports << props.at(i).port;
    }
    const QStringList unavailable = device::unavailablePorts(ports);
    if (!unavailable.isEmpty()) {
        failure(s, QLatin1String("nothing was sent: ") + unavailable.join(QLatin1String("; ")));
        return ExitFailed;
    }

    // From here on Ctrl+C (or a termination request) stops the workers, so
    // that the ports are released; a second one ends the program at once.
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    device::MultiUpload upload(timings, &s.err, g_errIsTerminal);
    upload.setInterruptCheck(&interrupted);
    const QVector<device::MultiUpload::Outcome> outcomes = upload.run(targets);
    for (const device::MultiUpload::Outcome &o : outcomes)
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
    const ProjectData converted = projectOf(show);
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

// ---------------------------------------------------------------- updates

// Copies a file into place, all or nothing.
bool copyInto(const QString &from, const QString &to, QString *error)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QDir::toNativeSeparators(from) + QLatin1String(": ") + in.errorString();
        return false;
    }
    QSaveFile out(to);
    if (!QDir().mkpath(QFileInfo(to).absolutePath()) || !out.open(QIODevice::WriteOnly)) {
        *error = QDir::toNativeSeparators(to) + QLatin1String(": cannot be written: ") +
                 out.errorString();
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0 || (n > 0 && out.write(buffer, n) != n)) {
            *error = QDir::toNativeSeparators(n < 0 ? from : to) + QLatin1String(": ") +
                     (n < 0 ? in.errorString() : out.errorString());
            return false;
        }
        if (n == 0)
            break;
    }
    if (!out.commit()) {
        *error = QDir::toNativeSeparators(to) + QLatin1String(": cannot be written: ") +
                 out.errorString();
        return false;
    }
    return true;
}

bool writeWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile out(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !out.open(QIODevice::WriteOnly) ||
        out.write(bytes) != bytes.size() || !out.commit()) {
        *error = QDir::toNativeSeparators(path) + QLatin1String(": cannot be written: ") +
                 out.errorString();
        return false;
    }
    return true;
}

// The digest of a download to publish; refuses what the updater would.
bool publishedDigest(const QString &path, qint64 limit, update::AssetDigest *digest,
                     const Streams &s)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        failure(s, QDir::toNativeSeparators(path) + QLatin1String(": ") + f.errorString());
        return false;
    }
    *digest = update::digestOf(f);
    if (!digest->isValid()) {
        failure(s, QDir::toNativeSeparators(path) + QLatin1String(": ") + f.errorString());
        return false;
    }
    if (digest->size > limit) {
        failure(s, QStringLiteral("%1: %2 bytes, more than the %3 the updater accepts")
                       .arg(QDir::toNativeSeparators(path))
                       .arg(digest->size)
                       .arg(limit));
        return false;
    }
    return true;
}

int publishUpdateCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl(
        QStringLiteral("publish-update"),
        QStringLiteral(
            "Writes an update into a folder that any static web server can serve as the\n"
            "update server: DIR/version, signed with the secret key and holding the\n"
            "SHA-256 digests of the two downloads, and the downloads under DIR/assets/file/.\n"
            "The editors built with the matching public key offer it; the updater keeps a\n"
            "download only when it is exactly the one signed here."),
        QString(), QString());
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("The new version, a number such as 3.2132."),
                                     QStringLiteral("V"));
    const QCommandLineOption notes(
        QStringLiteral("notes"),
        QStringLiteral("The release notes, a UTF-8 text file; HTML such as <br> is allowed, "
                       "\";;\" is not."),
        QStringLiteral("FILE"));
    const QCommandLineOption firmware(QStringLiteral("firmware"),
                                      QStringLiteral("The prop firmware image."),
                                      QStringLiteral("F"));
    const QCommandLineOption installer(QStringLiteral("installer"),
                                       QStringLiteral("The editor's patch installer."),
                                       QStringLiteral("I"));
    const QCommandLineOption secretKey(QStringLiteral("secret-key"),
                                       QStringLiteral("The secret key file from update-keygen."),
                                       QStringLiteral("KEY"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The folder to publish into."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption validDays(
        QStringLiteral("valid-days"),
        QStringLiteral("How many days the version file is valid (default %1); after that the "
                       "programs refuse it, so that an old one sent again offers nothing. "
                       "Publish again before then.")
            .arg(update::DefaultValidDays),
        QStringLiteral("N"), QString::number(update::DefaultValidDays));
    for (const QCommandLineOption &o :
         {version, notes, firmware, installer, secretKey, output, validDays})
        cl.add(o);
    const int parsed = cl.parse(args, s);
    if (parsed >= 0)
        return parsed;
    for (const QCommandLineOption &o : {version, notes, firmware, installer, secretKey, output}) {
        if (cl.parser().value(o).isEmpty()) {
            usageError(s, cl.command(),
                       QStringLiteral("missing --%1 %2").arg(o.names().last(), o.valueName()));
            return ExitUsage;
        }
    }
    const QString dir = cl.parser().value(output);
    bool daysOk = false;
    const int days = cl.parser().value(validDays).toInt(&daysOk);
    if (!daysOk || days < 1 || days > update::MaxValidDays) {
        usageError(s, cl.command(),
                   QStringLiteral("--valid-days needs a number of days from 1 to %1, not \"%2\"")
                       .arg(update::MaxValidDays)
                       .arg(cl.parser().value(validDays)));
        return ExitUsage;
    }

    QFile keyFile(cl.parser().value(secretKey));
    if (!keyFile.open(QIODevice::ReadOnly)) {
        failure(s, QDir::toNativeSeparators(keyFile.fileName()) + QLatin1String(": ") +
                       keyFile.errorString());
        return ExitFailed;
    }
    const QByteArray key = update::decodeKey(keyFile.readAll(), update::SecretKeyBytes);
    if (key.isEmpty() || update::publicKeyOf(key).isEmpty()) {
        failure(s, QDir::toNativeSeparators(keyFile.fileName()) +
                       QLatin1String(": not a secret key from update-keygen"));
        return ExitFailed;
    }
    QFile notesFile(cl.parser().value(notes));
    if (!notesFile.open(QIODevice::ReadOnly)) {
        failure(s, QDir::toNativeSeparators(notesFile.fileName()) + QLatin1String(": ") +
                       notesFile.errorString());
        return ExitFailed;
    }
    // A final line break of the file is no part of the notes.
    QString notesText = QString::fromUtf8(notesFile.readAll());
    while (notesText.endsWith(QLatin1Char('\n')) || notesText.endsWith(QLatin1Char('\r')))
        notesText.chop(1);

    update::AssetDigest firmwareDigest, installerDigest;
    if (!publishedDigest(cl.parser().value(firmware), update::FirmwareLimit, &firmwareDigest, s) ||
        !publishedDigest(cl.parser().value(installer), update::InstallerLimit, &installerDigest, s))
        return ExitFailed;
    QString error;
    const QByteArray body = update::writeVersionFile(
        cl.parser().value(version), notesText, firmwareDigest, installerDigest, key, &error, days);
    if (body.isEmpty()) {
        failure(s, error);
        return ExitFailed;
    }

    // The downloads first, the version file last: a server never offers
    // files that are not there yet.
    const QDir out(dir);
    const QString firmwareTarget = out.filePath(QLatin1String(update::FirmwarePath).mid(1));
    const QString installerTarget = out.filePath(QLatin1String(update::InstallerPath).mid(1));
    const QString versionTarget = out.filePath(QLatin1String(update::VersionPath).mid(1));
    if (!copyInto(cl.parser().value(firmware), firmwareTarget, &error) ||
        !copyInto(cl.parser().value(installer), installerTarget, &error) ||
        !writeWhole(versionTarget, body, &error)) {
        failure(s, error);
        return ExitFailed;
    }
    s.err << QDir::toNativeSeparators(versionTarget) << ": version "
          << cl.parser().value(version).trimmed() << ", firmware " << firmwareDigest.size
          << " bytes, installer " << installerDigest.size << " bytes, valid for " << days
          << " days, signed for the public key " << update::encodeKey(update::publicKeyOf(key))
          << '\n';
    return ExitOk;
}

bool writeNewKeyFile(const QString &path, const QByteArray &text, bool secret, QString *error)
{
    QFile f(path);
    // Never over an existing key: a lost secret key cannot be made again.
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error =
            QDir::toNativeSeparators(path) + (f.exists() ? QStringLiteral(": already exists")
                                                         : QStringLiteral(": ") + f.errorString());
        return false;
    }
    if (secret)
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (f.write(text) != text.size() || !f.flush()) {
        *error = QDir::toNativeSeparators(path) + QLatin1String(": ") + f.errorString();
        f.remove();
        return false;
    }
    return true;
}

int updateKeygenCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl(
        QStringLiteral("update-keygen"),
        QStringLiteral(
            "Makes a new Ed25519 key pair for signing updates: KEY holds the secret key\n"
            "(readable by its owner only; keep it private and safe), KEY.pub the public key,\n"
            "which is also printed. Build the programs with -DVC_UPDATE_PUBLIC_KEY=<public key>\n"
            "so that they accept the updates signed with KEY."),
        QString(), QString());
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The secret key file to write (required)."),
                                    QStringLiteral("KEY"));
    cl.add(output);
    const int parsed = cl.parse(args, s);
    if (parsed >= 0)
        return parsed;
    const QString path = cl.parser().value(output);
    if (path.isEmpty()) {
        usageError(s, cl.command(), QStringLiteral("missing -o KEY"));
        return ExitUsage;
    }
    const QString pubPath = path + QLatin1String(".pub");
    if (QFileInfo::exists(pubPath)) {
        failure(s, QDir::toNativeSeparators(pubPath) + QLatin1String(": already exists"));
        return ExitFailed;
    }
    const update::KeyPair pair = update::generateKeyPair();
    if (pair.secretKey.isEmpty()) {
        failure(s, QStringLiteral("the system gave no randomness for a key"));
        return ExitFailed;
    }
    const QByteArray publicKey = update::encodeKey(pair.publicKey);
    QString error;
    if (!writeNewKeyFile(path,
                         "# VantorCreator update signing key (secret): anyone holding it can "
                         "publish updates.\n" +
                             update::encodeKey(pair.secretKey) + '\n',
                         true, &error) ||
        !writeNewKeyFile(pubPath,
                         "# VantorCreator update signing key (public): build with "
                         "-DVC_UPDATE_PUBLIC_KEY=<this key>\n" +
                             publicKey + '\n',
                         false, &error)) {
        failure(s, error);
        return ExitFailed;
    }
    s.out << publicKey << '\n';
    return ExitOk;
}

// The tempo line, then a line per beat; with bars, the bar number after
// each beat that starts one.
void printBeats(double bpm, const BeatGrid &grid, bool bars, const Streams &s)
{
    s.out << QString::number(bpm, 'f', 2) << '\n';
    const QVector<int> ms = grid.beats();
    for (int i = 0; i < ms.size(); ++i) {
        s.out << ms[i];
        if (bars && grid.barOf(i) > 0)
            s.out << '\t' << grid.barOf(i);
        s.out << '\n';
    }
}

int beatsCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl(
        QStringLiteral("beats"),
        QStringLiteral(
            "Finds the beats of a song as the editor does after loading it. Prints the tempo\n"
            "in beats per minute on the first line (0 when the song has no beat to find),\n"
            "then the time of every beat in milliseconds from the song's start, one a line.\n"
            "Given a project, prints the beat grid stored with it (as corrected in the editor)."),
        QStringLiteral("SONG|PROJECT"),
        QStringLiteral("The song (*.mp3, *.wav) or a project (*.vtc3)."));
    const QCommandLineOption barsOption(
        QStringLiteral("bars"),
        QStringLiteral("After each beat that starts a bar, a tab and the bar's number."));
    cl.add(barsOption);
    const int parsed = cl.parse(args, s);
    if (parsed >= 0)
        return parsed;
    const bool bars = cl.parser().isSet(barsOption);
    const QString song = cl.positional();
    const QString songName = QDir::toNativeSeparators(song);
    if (!QFileInfo(song).isFile()) {
        failure(s, songName + QLatin1String(": no such file"));
        return ExitFailed;
    }
    if (isCurrentFormatName(song)) {
        ProjectExtras extras;
        QString error;
        BeatGrid grid;
        if (!readExtras(song, &extras, &error)) {
            failure(s, songName + QLatin1String(": ") + error);
            return ExitFailed;
        }
        if (extras.beatGrid.isEmpty()) {
            failure(s,
                    songName + QLatin1String(": no beat grid is stored with it (the editor finds "
                                             "the beats from its song)"));
            return ExitFailed;
        }
        if (!BeatGrid::fromJson(extras.beatGrid, &grid, &error)) {
            failure(s, songName + QLatin1String(": the stored beat grid is damaged: ") + error);
            return ExitFailed;
        }
        printBeats(grid.tempoAt(0), grid, bars, s);
        return ExitOk;
    }
    SongBeats beats;
    if (!SongDecoder::searchBeats(song, &beats)) {
        failure(s, songName + QLatin1String(": cannot be decoded"));
        return ExitFailed;
    }
    printBeats(beats.bpm, BeatGrid::fromSong(beats), bars, s);
    return ExitOk;
}

int renderVideoCommand(const QStringList &args, const Streams &s)
{
    CommandLine cl = projectCommand(
        QStringLiteral("render-video"),
        QStringLiteral("Renders the track as the editor's preview shows it to a video (.mp4 or "
                       ".webm)\nwith the project's song, from the start mark (--start-ms) to "
                       "the end of the last mode."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The video to write (required)."),
                                    QStringLiteral("OUT.mp4|OUT.webm"));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("Frame height: 480, 720 or 1080 (720)."),
                                  QStringLiteral("H"), QStringLiteral("720"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("30 or 60 (30)."),
                                 QStringLiteral("N"), QStringLiteral("30"));
    const QCommandLineOption look(QStringLiteral("look"),
                                  QStringLiteral("disc, staff or both (both)."),
                                  QStringLiteral("LOOK"), QStringLiteral("both"));
    cl.add(output);
    cl.add(size);
    cl.add(fps);
    cl.add(look);
    addShowOptions(cl);
    ShowOptions options;
    const int parsed = parseShowCommand(cl, args, s, &options);
    if (parsed >= 0)
        return parsed;
    const QCommandLineParser &p = cl.parser();
    VideoOptions video;
    video.output = p.value(output);
    video.height = p.value(size).toInt();
    video.fps = p.value(fps).toInt();
    video.startMs = options.startMarkMs;
    const QString lookName = p.value(look);
    if (video.output.isEmpty()) {
        usageError(s, cl.command(), QStringLiteral("missing -o OUT.mp4|OUT.webm"));
        return ExitUsage;
    }
    if (video.height != 480 && video.height != 720 && video.height != 1080) {
        usageError(s, cl.command(), QStringLiteral("--size must be 480, 720 or 1080"));
        return ExitUsage;
    }
    if (video.fps != 30 && video.fps != 60) {
        usageError(s, cl.command(), QStringLiteral("--fps must be 30 or 60"));
        return ExitUsage;
    }
    if (lookName == QLatin1String("disc"))
        video.look = VideoLook::Disc;
    else if (lookName == QLatin1String("staff"))
        video.look = VideoLook::Staff;
    else if (lookName != QLatin1String("both")) {
        usageError(s, cl.command(), QStringLiteral("--look must be disc, staff or both"));
        return ExitUsage;
    }

    Project project;
    QString error;
    QVector<device::ShowItem> items;
    device::ShowSettings settings;
    if (!openProject(cl.positional(), &project, &error) ||
        !prepareShow(project, options, &items, &settings, &error)) {
        failure(s, error);
        return ExitFailed;
    }
    if (project.data.hasSong())
        video.songPath =
            QFileInfo(project.path).absoluteDir().absoluteFilePath(project.data.songPath);
    int lastPercent = -1;
    error = renderVideo(items, settings.leds, video, [&](int done, int total) {
        const int percent = done * 100 / total;
        if (percent != lastPercent) {
            lastPercent = percent;
            s.err << "\rframe " << done << '/' << total << " (" << percent << "%)";
            s.err.flush();
        }
    });
    s.err << '\n';
    if (!error.isEmpty()) {
        failure(s, QDir::toNativeSeparators(video.output) + QLatin1String(": ") + error);
        return ExitFailed;
    }
    s.err << QDir::toNativeSeparators(video.output) << ": written\n";
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
    } else if (command == QLatin1String("publish-update")) {
        status = publishUpdateCommand(rest, s);
    } else if (command == QLatin1String("update-keygen")) {
        status = updateKeygenCommand(rest, s);
    } else if (command == QLatin1String("beats")) {
        status = beatsCommand(rest, s);
    } else if (command == QLatin1String("render-video")) {
        status = renderVideoCommand(rest, s);
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
