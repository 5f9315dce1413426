#include "spell/speller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell.hxx>

namespace spell {
namespace {

// The dictionaries tried for each language, best first.
QStringList tagsOf(Language language) {
    if (language == Language::Russian)
        return {QStringLiteral("ru_RU")};
    return {QStringLiteral("en_US"), QStringLiteral("en_GB"), QStringLiteral("en_CA"), QStringLiteral("en_AU")};
}

// Qt's name for a dictionary's SET encoding (Hunspell writes ISO8859-1).
QByteArray encodingName(const std::string &set) {
    const QByteArray name = QByteArray::fromStdString(set).toUpper();
    if (name.contains("8859-1") || name.contains("8859_1"))
        return "ISO-8859-1";
    return name.isEmpty() ? QByteArray("ISO-8859-1") : name;
}

} // namespace

struct Speller::Dictionary {
    Hunspell hunspell;
    QString tag; // its name, which names the personal list too
    QStringEncoder encoder;
    QStringDecoder decoder;

    Dictionary(const QString &aff, const QString &dic, const QString &name)
        : hunspell(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData()), tag(name) {
        const QByteArray encoding = encodingName(hunspell.get_dict_encoding());
        encoder = QStringEncoder(encoding.constData());
        decoder = QStringDecoder(encoding.constData());
    }
    // The word in the dictionary's encoding; false when it cannot be written in it.
    bool bytes(const QString &word, std::string *out) {
        const QByteArray b = encoder.encode(word);
        if (encoder.hasError()) {
            encoder.resetState();
            return false;
        }
        *out = b.toStdString();
        return true;
    }
};

QStringList Speller::dictionaryFolders() {
    const QByteArray env = qgetenv("DICPATH");
    if (!env.isNull())
        return QString::fromLocal8Bit(env).split(u':', Qt::SkipEmptyParts);
    return {QStringLiteral("/usr/local/share/hunspell"), QStringLiteral("/usr/share/hunspell"),
            QStringLiteral("/usr/share/myspell/dicts"), QStringLiteral("/usr/share/myspell")};
}

QString Speller::personalFolder() {
    if (const QString enchant = qEnvironmentVariable("ENCHANT_CONFIG_DIR"); !enchant.isEmpty())
        return enchant;
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = QDir::isAbsolutePath(config) ? config : QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/enchant");
}

Speller::Speller() = default;
Speller::~Speller() = default;

std::unique_ptr<Speller> Speller::load(const QStringList &folders, const QString &personal) {
    std::unique_ptr<Speller> speller(new Speller);
    speller->personal_ = personal;
    for (Language language : {Language::Russian, Language::English}) {
        for (const QString &tag : tagsOf(language)) {
            const auto found = std::find_if(folders.begin(), folders.end(), [&](const QString &folder) {
                return QFileInfo::exists(folder + u'/' + tag + QStringLiteral(".aff"))
                    && QFileInfo::exists(folder + u'/' + tag + QStringLiteral(".dic"));
            });
            if (found == folders.end())
                continue;
            const QString stem = *found + u'/' + tag;
            auto d = std::make_unique<Dictionary>(stem + QStringLiteral(".aff"), stem + QStringLiteral(".dic"), tag);
            if (!d->encoder.isValid())
                continue;
            // The personal words, one a line ('#' starts a comment).
            QFile list(personal + u'/' + tag + QStringLiteral(".dic"));
            if (list.open(QIODevice::ReadOnly)) {
                for (const QByteArray &line : list.readAll().split('\n')) {
                    QString word = QString::fromUtf8(line).trimmed();
                    if (word.startsWith(QChar(0xFEFF)))
                        word.remove(0, 1);
                    std::string bytes;
                    if (!word.isEmpty() && !word.startsWith(u'#') && d->bytes(word, &bytes))
                        d->hunspell.add(bytes);
                }
            }
            speller->dictionaries_[language] = std::move(d);
            break;
        }
    }
    return speller;
}

Speller::Dictionary *Speller::dictionary(Language language) const {
    const auto it = dictionaries_.find(language);
    return it == dictionaries_.end() ? nullptr : it->second.get();
}

bool Speller::has(Language language) const { return dictionary(language) != nullptr; }

bool Speller::lookUp(Dictionary &d, const QString &word) const {
    std::string bytes;
    return d.bytes(word, &bytes) && d.hunspell.spell(bytes);
}

std::optional<bool> Speller::known(QStringView word, Language language) const {
    const QString w = normalized(word);
    if (ignored_.contains(w))
        return true;
    if (language == Language::Mixed)
        return false;
    if (!dictionary(language))
        return true;
    const auto it = answers_.constFind(w);
    return it == answers_.constEnd() ? std::nullopt : std::optional<bool>(*it);
}

bool Speller::correct(QStringView word, Language language) {
    if (const std::optional<bool> answer = known(word, language))
        return *answer;
    Dictionary &d = *dictionary(language);
    const QString w = normalized(word);
    bool right = lookUp(d, w);
    if (!right && language == Language::Russian) {
        const QStringList variants = yoVariants(w);
        right = std::any_of(variants.begin(), variants.end(), [&](const QString &v) { return lookUp(d, v); });
    }
    if (answers_.size() > 500000) // a bound on memory; answers come back at a look-up each
        answers_.clear();
    answers_.insert(w, right);
    return right;
}

QStringList Speller::suggestions(QStringView word, Language language, int most) {
    Dictionary *d = dictionary(language);
    std::string bytes;
    if (!d || !d->bytes(normalized(word), &bytes))
        return {};
    QStringList out;
    for (const std::string &s : d->hunspell.suggest(bytes)) {
        const QString suggestion = d->decoder.decode(QByteArray::fromStdString(s));
        if (!out.contains(suggestion))
            out.append(suggestion);
        if (out.size() >= most)
            break;
    }
    return out;
}

void Speller::ignore(QStringView word) {
    ignored_.insert(normalized(word));
    ++generation_;
}

bool Speller::addToPersonal(QStringView word, Language language) {
    Dictionary *d = dictionary(language);
    const QString w = normalized(word);
    std::string bytes;
    if (!d || !d->bytes(w, &bytes))
        return false;
    d->hunspell.add(bytes);
    answers_.insert(w, true);
    ++generation_;
    // Appended, as other programs append to the same file: a line of its own.
    if (!QDir().mkpath(personal_))
        return false;
    QFile list(personal_ + u'/' + d->tag + QStringLiteral(".dic"));
    if (!list.open(QIODevice::ReadWrite | QIODevice::Append))
        return false;
    QByteArray line = w.toUtf8() + '\n';
    if (list.size() > 0 && list.seek(list.size() - 1) && list.read(1) != "\n")
        line.prepend('\n');
    return list.write(line) == line.size() && list.flush();
}

} // namespace spell
