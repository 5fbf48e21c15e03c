#include "text/LosslessText.h"

#include "text/Cp1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr QByteArrayView kBom("\xEF\xBB\xBF");
} // namespace

namespace LosslessText {

QByteArray encode(QStringView text)
{
    qsizetype unencodable = 0;
    QByteArray bytes = Cp1252::encode(text, &unencodable);
    // Code-page text that happens to begin with the mark's three bytes
    // ("ï»¿") would read back as UTF-8: it goes the UTF-8 way too.
    if (unencodable == 0 && !bytes.startsWith(kBom))
        return bytes;
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return kBom.toByteArray() + QByteArray(utf8(text));
}

QString decode(QByteArrayView bytes)
{
    if (bytes.startsWith(kBom)) {
        // The mark is taken off here; a second one is text and stays.
        QStringDecoder utf8(QStringConverter::Utf8,
                            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString text = utf8(bytes.sliced(kBom.size()));
        if (!utf8.hasError())
            return text;
    }
    return Cp1252::decode(bytes);
}

} // namespace LosslessText
