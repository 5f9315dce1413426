#include "platform/keyboard.h"

#include <QGuiApplication>
#include <QHash>
#include <QSet>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace keyboard {
namespace {

int ignoreXErrors(Display *, XErrorEvent *) {
    return 0;
}

// A short-lived connection of our own to the X server of the application.
// Xlib's default error handler ends the process, so ours ignores errors
// while the connection is open.
class XConnection {
public:
    XConnection() {
        const QString platform = QGuiApplication::platformName();
        if ((!platform.isEmpty() && platform != QLatin1String("xcb")) || qEnvironmentVariableIsEmpty("DISPLAY"))
            return;
        previousHandler_ = XSetErrorHandler(ignoreXErrors);
        handlerSet_ = true;
        int event = 0, error = 0, reason = 0;
        int major = XkbMajorVersion, minor = XkbMinorVersion;
        display_ = XkbOpenDisplay(nullptr, &event, &error, &major, &minor, &reason);
    }
    ~XConnection() {
        if (display_) {
            XSync(display_, False);
            XCloseDisplay(display_);
        }
        if (handlerSet_)
            XSetErrorHandler(previousHandler_);
    }
    XConnection(const XConnection &) = delete;
    XConnection &operator=(const XConnection &) = delete;

    Display *display() const { return display_; }

    // The number of groups (layouts) the keyboard has.
    int groupCount() const {
        XkbDescPtr desc = XkbAllocKeyboard();
        if (!desc)
            return 0;
        int groups = 0;
        if (XkbGetControls(display_, XkbAllControlsMask, desc) == Success && desc->ctrls)
            groups = desc->ctrls->num_groups;
        XkbFreeKeyboard(desc, 0, True);
        return groups;
    }

private:
    Display *display_ = nullptr;
    XErrorHandler previousHandler_ = nullptr;
    bool handlerSet_ = false;
};

// Files of the XKB symbols folder that are options, not layouts.
const QSet<QByteArray> &notLayouts() {
    static const QSet<QByteArray> names = {
        "pc", "inet", "group", "level2", "level3", "level5", "ctrl", "compose", "srvr_ctrl", "terminate",
        "capslock", "altwin", "eurosign", "rupeesign", "keypad", "kpdl", "nbsp", "shift", "parens", "typo",
        "empty", "trans", "latin", "olpc", "apple", "evdev", "xfree86", "japan", "korean", "lv3", "lv5",
        "mod_led", "grp_led", "custom", "base", "complete"};
    return names;
}

} // namespace

int languageOfLayout(const QByteArray &layout, const QByteArray &variant) {
    // Variants that type another language than their layout.
    static const QHash<QByteArray, int> byVariant = {
        {"us(rus)", 0x19}, {"ca(eng)", 0x09},  {"in(eng)", 0x09},   {"ch(fr)", 0x0C},   {"ch(fr_nodeadkeys)", 0x0C},
        {"ch(fr_mac)", 0x0C}, {"ru(tt)", 0x44}, {"ru(bak)", 0x6D},  {"ru(sah)", 0x85},  {"ru(cv)", 0},
        {"ru(udm)", 0},     {"ru(kom)", 0},     {"ru(xal)", 0},     {"ru(chm)", 0},     {"ru(os_legacy)", 0},
        {"ru(os_winkeys)", 0}, {"ru(srp)", 0x1A}, {"ua(rstu_ru)", 0x19}, {"by(ru)", 0x19}, {"kz(ruskaz)", 0x19},
        {"ee(us)", 0x09},   {"gb(gla)", 0x91},  {"gb(cy)", 0x52},   {"es(cat)", 0x03},  {"es(ast)", 0},
        {"fr(bre)", 0x7E},  {"fr(oci)", 0x82},  {"it(fur)", 0},     {"it(lld)", 0}};
    static const QHash<QByteArray, int> byLayout = {
        {"us", 0x09}, {"gb", 0x09}, {"au", 0x09}, {"ie", 0x09}, {"nz", 0x09}, {"za", 0x09}, {"ng", 0x09},
        {"gh", 0x09}, {"ru", 0x19}, {"ua", 0x22}, {"by", 0x23}, {"bg", 0x02}, {"rs", 0x1A}, {"hr", 0x1A},
        {"ba", 0x1A}, {"me", 0x1A}, {"mk", 0x2F}, {"kz", 0x3F}, {"kg", 0x40}, {"uz", 0x43}, {"tj", 0x28},
        {"tm", 0x42}, {"mn", 0x50}, {"de", 0x07}, {"at", 0x07}, {"ch", 0x07}, {"fr", 0x0C}, {"be", 0x0C},
        {"ca", 0x0C}, {"es", 0x0A}, {"latam", 0x0A}, {"it", 0x10}, {"pt", 0x16}, {"br", 0x16}, {"nl", 0x13},
        {"dk", 0x06}, {"no", 0x14}, {"se", 0x1D}, {"fi", 0x0B}, {"is", 0x0F}, {"fo", 0x38}, {"ee", 0x25},
        {"lv", 0x26}, {"lt", 0x27}, {"pl", 0x15}, {"cz", 0x05}, {"sk", 0x1B}, {"hu", 0x0E}, {"ro", 0x18},
        {"md", 0x18}, {"si", 0x24}, {"al", 0x1C}, {"gr", 0x08}, {"tr", 0x1F}, {"az", 0x2C}, {"am", 0x2B},
        {"ge", 0x37}, {"il", 0x0D}, {"ara", 0x01}, {"eg", 0x01}, {"iq", 0x01}, {"sy", 0x01}, {"ir", 0x29},
        {"af", 0x8C}, {"pk", 0x20}, {"in", 0x39}, {"bd", 0x45}, {"np", 0x61}, {"lk", 0x5B}, {"th", 0x1E},
        {"la", 0x54}, {"kh", 0x53}, {"vn", 0x2A}, {"id", 0x21}, {"my", 0x3E}, {"cn", 0x04}, {"tw", 0x04},
        {"jp", 0x11}, {"kr", 0x12}, {"mt", 0x3A}, {"et", 0x5E}, {"mv", 0x65}, {"bt", 0x51}};
    if (!variant.isEmpty()) {
        const auto v = byVariant.constFind(layout + '(' + variant + ')');
        if (v != byVariant.cend())
            return *v;
    }
    return byLayout.value(layout, 0);
}

QList<int> languagesOfSymbols(const QByteArray &symbols, int groups) {
    QList<int> languages(qMax(groups, 0), 0);
    QList<bool> named(languages.size(), false);
    qsizetype start = 0;
    while (start <= symbols.size()) {
        qsizetype end = start;
        while (end < symbols.size() && symbols[end] != '+' && symbols[end] != '|')
            ++end;
        QByteArray part = symbols.mid(start, end - start).trimmed();
        start = end + 1;

        int group = 0; // none given
        const qsizetype colon = part.lastIndexOf(':');
        if (colon >= 0) {
            bool ok = false;
            group = part.mid(colon + 1).toInt(&ok);
            if (!ok || group < 1)
                continue;
            part.truncate(colon);
        }
        QByteArray variant;
        const qsizetype paren = part.indexOf('(');
        if (paren >= 0) {
            const qsizetype close = part.indexOf(')', paren);
            variant = part.mid(paren + 1, close < 0 ? -1 : close - paren - 1);
            part.truncate(paren);
        }
        part = part.mid(part.lastIndexOf('/') + 1); // "sun_vndr/us" is "us"
        if (part.isEmpty() || notLayouts().contains(part))
            continue;
        if (group == 0) {
            // Only the first layout may go without a group number.
            if (!named.isEmpty() && named[0])
                continue;
            group = 1;
        }
        if (groups > 0 && group > groups)
            continue;
        if (group > languages.size()) {
            languages.resize(group, 0);
            named.resize(group, false);
        }
        if (named[group - 1])
            continue;
        named[group - 1] = true;
        languages[group - 1] = languageOfLayout(part, variant);
    }
    return languages;
}

QList<Layout> layoutList(int capacity) {
    XConnection x;
    if (!x.display() || capacity <= 0)
        return {};
    const int groups = x.groupCount();
    QByteArray symbols;
    if (XkbDescPtr desc = XkbAllocKeyboard()) {
        if (XkbGetNames(x.display(), XkbSymbolsNameMask, desc) == Success && desc->names &&
            desc->names->symbols != None) {
            if (char *name = XGetAtomName(x.display(), desc->names->symbols)) {
                symbols = name;
                XFree(name);
            }
        }
        XkbFreeKeyboard(desc, 0, True);
    }
    const QList<int> languages = languagesOfSymbols(symbols, groups);
    QList<Layout> layouts;
    for (int i = 0; i < languages.size() && i < capacity; ++i)
        layouts.append(Layout{quintptr(i + 1), languages[i]});
    return layouts;
}

bool activate(quintptr handle) {
    if (handle == 0)
        return false;
    XConnection x;
    if (!x.display() || handle > quintptr(x.groupCount()))
        return false;
    if (!XkbLockGroup(x.display(), XkbUseCoreKbd, unsigned(handle - 1)))
        return false;
    XSync(x.display(), False);
    return true;
}

quintptr activeLayout() {
    XConnection x;
    if (!x.display())
        return 0;
    XkbStateRec state;
    if (XkbGetState(x.display(), XkbUseCoreKbd, &state) != Success)
        return 0;
    // The server keeps a group beyond the groups the keyboard has now (after
    // the layouts changed) until the next key event; it wraps into range.
    int group = state.group;
    const int groups = x.groupCount();
    if (groups > 0 && group >= groups)
        group %= groups;
    return quintptr(group) + 1;
}

} // namespace keyboard
