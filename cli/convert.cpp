// tessarin-convert: the editor's document load and save from the command line.
//
//   tessarin-convert [--from rtf|text] --to rtf|text INPUT OUTPUT
//
// --from rtf (the default) loads as the editor does in RTF mode: RTF, or plain
// text when the file is not RTF; --from text loads as plain text. --to writes
// the bytes the editor's save writes in that mode. On failure: exit status 1,
// the editor's message on standard error, and no output file; a wrong command
// line: exit status 2. --help and --version print as GNU tools do.
#include "editor/cp1251.h"
#include "editor/docformat.h"
#include "editor/docio.h"
#include "editor/rtf/reader.h"
#include "platform/error.h"

#include <QFont>
#include <QTextDocument>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

const char kUsage[] =
    "Usage: tessarin-convert [--from rtf|text] --to rtf|text [--encoding utf-8|cp1251]\n"
    "                        [--lossy] INPUT OUTPUT\n"
    "Convert a document between RTF and plain text as the Tessarin editor loads\n"
    "and saves it.\n"
    "\n"
    "  --from rtf   read INPUT as RTF, or as plain text when it is not RTF (default)\n"
    "  --from text  read INPUT as plain text (RTF markup stays text)\n"
    "  --to rtf     write OUTPUT as RTF\n"
    "  --to text    write OUTPUT as plain text with CR LF line ends, in the encoding\n"
    "               plain text was read in (Windows-1251 for RTF); list items start\n"
    "               with their number or bullet and a tab\n"
    "  --encoding   read and write plain text in this encoding; without it, a text\n"
    "               that is valid UTF-8 (or starts with its byte order mark) is\n"
    "               read as UTF-8, any other as Windows-1251\n"
    "  --lossy      write characters that Windows-1251 lacks as '?' instead of\n"
    "               failing\n"
    "  -h, --help   display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Exit status:\n"
    " 0  if OK,\n"
    " 1  if INPUT cannot be read or OUTPUT cannot be written, or the text holds\n"
    "    characters Windows-1251 lacks (without --lossy),\n"
    " 2  if the command line is wrong.\n"
    "\n"
    "Tessarin home page: <https://tessarin.example.org/>\n";

// A wrong command line: what is wrong, and where to read more, as GNU tools say it.
int usageError(const QByteArray &what) {
    std::fprintf(stderr, "tessarin-convert: %s\nTry 'tessarin-convert --help' for more information.\n",
                 what.constData());
    return 2;
}

// "rtf" -> false, "text" -> true.
std::optional<bool> parseMode(const char *s) {
    if (std::strcmp(s, "rtf") == 0)
        return false;
    if (std::strcmp(s, "text") == 0)
        return true;
    return std::nullopt;
}

// The editor's base font: the document's default, and the format plain text gets.
const QFont &baseFont() {
    static const QFont font(QStringLiteral("MS Sans Serif"), 12);
    return font;
}

QTextCharFormat plainFormat() {
    QTextCharFormat f;
    docformat::setFontName(f, baseFont().family());
    f.setFontPointSize(baseFont().pointSize());
    return f;
}

// Fails when a Windows-1251 text would lose characters, unless that is allowed.
void checkLoss(const QString &text, plaintext::Encoding encoding, bool lossy) {
    if (lossy || encoding != plaintext::Encoding::Cp1251)
        return;
    const cp1251::Missing missing = cp1251::missing(text);
    if (missing.count)
        throw tessarin::Error(QStringLiteral("%1 characters are not in Windows-1251 (%2): use --encoding utf-8, or "
                                             "--lossy to write them as '?'")
                                  .arg(missing.count)
                                  .arg(missing.first.join(QStringLiteral(", "))));
}

} // namespace

int main(int argc, char **argv) {
    std::optional<bool> fromText = false, toText;
    std::optional<plaintext::Encoding> encoding;
    bool lossy = false;
    QList<QString> files;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(a, "--version") == 0) {
            std::fputs("tessarin-convert (Tessarin) " TESSARIN_VERSION "\n", stdout);
            return 0;
        }
        if (std::strcmp(a, "--from") == 0 || std::strcmp(a, "--to") == 0) {
            if (i + 1 >= argc)
                return usageError("option '" + QByteArray(a) + "' requires an argument");
            std::optional<bool> mode = parseMode(argv[++i]);
            if (!mode)
                return usageError("invalid format '" + QByteArray(argv[i]) + "': rtf or text");
            (a[2] == 'f' ? fromText : toText) = mode;
        } else if (std::strcmp(a, "--encoding") == 0) {
            if (i + 1 >= argc)
                return usageError("option '--encoding' requires an argument");
            const QByteArray name = QByteArray(argv[++i]).toLower();
            if (name == "utf-8" || name == "utf8")
                encoding = plaintext::Encoding::Utf8;
            else if (name == "cp1251" || name == "windows-1251")
                encoding = plaintext::Encoding::Cp1251;
            else
                return usageError("invalid encoding '" + QByteArray(argv[i]) + "': utf-8 or cp1251");
        } else if (std::strcmp(a, "--lossy") == 0) {
            lossy = true;
        } else if (std::strncmp(a, "--", 2) == 0 && a[2]) {
            return usageError("unrecognized option '" + QByteArray(a) + "'");
        } else {
            files.append(docio::decodePath(a));
        }
    }
    if (!toText)
        return usageError("missing option '--to'");
    if (files.size() != 2)
        return usageError(files.isEmpty() ? "missing INPUT and OUTPUT" : files.size() == 1 ? "missing OUTPUT" : "too many files");

    try {
        const QByteArray input = docio::readFile(files[0]);
        // RTF to text needs no document: the reader gives the text the
        // plain-text save would write of the document, list labels included.
        if (!*fromText && *toText) {
            if (std::optional<QString> text = rtf::readText(input, rtf::ListLabels::Shown)) {
                const plaintext::Encoding out = encoding.value_or(plaintext::Encoding::Cp1251);
                checkLoss(*text, out, lossy);
                docio::writeFile(files[1], plaintext::encode(*text, out));
                return 0;
            }
        }
        QTextDocument doc;
        doc.setUndoRedoEnabled(false);
        doc.setDefaultFont(baseFont());
        const plaintext::Encoding out = encoding.value_or(docio::read(input, *fromText, doc, plainFormat(), encoding));
        if (*toText)
            checkLoss(plaintext::labelledText(doc), out, lossy);
        docio::save(files[1], *toText, doc, out);
    } catch (const tessarin::Error &e) {
        std::fprintf(stderr, "%s\n", e.message().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
