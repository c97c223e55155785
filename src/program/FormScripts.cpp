#include "program/FormScripts.h"

#include "program/DelphiForm.h"

namespace kvarsel {

namespace {

QString resourceName(const ResourceKey& name)
{
    return name.isNumber() ? QString::number(name.id) : QStringLiteral("«%1»").arg(name.name);
}

// A file name every file system takes; the caller makes it unique among its kind.
QString fileBaseName(const ResourceKey& name)
{
    if (name.isNumber())
        return QString::number(name.id);
    QString base;
    for (const QChar c : name.name)
        base += c.isLetterOrNumber() || c == u'_' || c == u'-' ? c : u'_';
    base = base.left(100);
    // Windows reserves these names whatever the extension.
    static const QStringList kDevices = {u"CON"_qs, u"PRN"_qs, u"AUX"_qs, u"NUL"_qs};
    if (base.isEmpty() || kDevices.contains(base.toUpper()) ||
        (base.size() == 4 &&
         (base.startsWith(u"COM", Qt::CaseInsensitive) || base.startsWith(u"LPT", Qt::CaseInsensitive))))
        base += u'_';
    return base;
}

} // namespace

bool isFormResource(const Resource& r)
{
    return r.type.isNumber() && r.type.id == ResourceType::RcData && isBinaryForm(r.data);
}

ScriptsFromResources formScripts(const QList<Resource>& resources, quint16 language)
{
    ScriptsFromResources result;
    for (const Resource& r : resources) {
        if (r.language != language || !isFormResource(r))
            continue;
        const FormText form = formToText(r.data);
        if (!form.error.isEmpty()) {
            result.leftOut << QStringLiteral("RCDATA %1 (0x%2): форма не читается: %3")
                                  .arg(resourceName(r.name),
                                       QString::number(r.language, 16).toUpper().rightJustified(4, u'0'),
                                       form.error);
            continue;
        }
        Resource covered = r;
        covered.data.clear();
        result.scripts << UnpackedScript{
            ResourceKind::RcData, fileBaseName(r.name), form.text, {covered}, {}};
    }
    return result;
}

CompiledScript compileFormScript(const QString& text, const Resource& original)
{
    CompiledScript compiled;
    FormBinary form = formFromText(text, original.data);
    if (!form.error.isEmpty()) {
        compiled.error = form.error;
        return compiled;
    }
    Resource made = original;
    made.data = std::move(form.data);
    compiled.resources << made;
    return compiled;
}

} // namespace kvarsel
