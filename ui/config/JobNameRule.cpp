#include "ui/config/JobNameRule.h"

#include "engine/JobNameCheck.h"

namespace {

// XML 1.0 Char without the surrogate block and U+FFFE/U+FFFF; tab and line breaks are
// refused too, as a name is shown on one line and listed tab-separated by corvane-cli.
bool oneLineXmlText(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())
                return false;
            ++i;
            continue;
        }
        if (QChar::isLowSurrogate(c))
            return false;
        if (c < 0x20)
            return false;
        if (c == 0xFFFE || c == 0xFFFF)
            return false;
    }
    return true;
}

}  // namespace

bool IsAcceptableJobName(const QString &name)
{
    return IsUsableJobName(name) && !name.trimmed().isEmpty() && oneLineXmlText(name);
}

QString JobNameRefusedMessage()
{
    return QStringLiteral("The job name cannot be used: it names the job's files, so it must not be "
                          "made only of blanks, be \".\" or \"..\", or contain any of "
                          "\\ / : * ? \" < > | or control characters.");
}
