#include "music/MusicTags.h"

#include <QFile>

#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

using namespace Qt::StringLiterals;

namespace {

QString toQString(const TagLib::String &s)
{
    return QString::fromStdString(s.to8Bit(true));
}

TagLib::String toTagString(const QString &s)
{
    return TagLib::String(s.toStdString(), TagLib::String::UTF8);
}

// MP4's lyrics atom, "©lyr".
const TagLib::String &mp4LyricsKey()
{
    static const TagLib::String key("\251lyr", TagLib::String::Latin1);
    return key;
}

std::optional<QString> firstNonEmpty(const TagLib::StringList &values)
{
    for (const TagLib::String &v : values) {
        if (!v.isEmpty())
            return toQString(v);
    }
    return std::nullopt;
}

std::optional<QString> xiphLyrics(const TagLib::Ogg::XiphComment *comment)
{
    if (!comment)
        return std::nullopt;
    const TagLib::Ogg::FieldListMap &fields = comment->fieldListMap();
    for (const char *name : {"LYRICS", "UNSYNCEDLYRICS"}) {
        if (const auto it = fields.find(name); it != fields.end()) {
            if (std::optional<QString> text = firstNonEmpty(it->second))
                return text;
        }
    }
    return std::nullopt;
}

TagLib::Ogg::XiphComment *xiphOf(TagLib::File *file, MusicFormat kind, bool create)
{
    switch (kind) {
    case MusicFormat::Flac:
        return static_cast<TagLib::FLAC::File *>(file)->xiphComment(create);
    case MusicFormat::OggVorbis:
        return static_cast<TagLib::Ogg::Vorbis::File *>(file)->tag();
    case MusicFormat::OggOpus:
        return static_cast<TagLib::Ogg::Opus::File *>(file)->tag();
    default:
        return nullptr;
    }
}

std::unique_ptr<TagLib::File> openAs(MusicFormat kind, TagLib::FileName name)
{
    auto *frames = TagLib::ID3v2::FrameFactory::instance();
    switch (kind) {
    case MusicFormat::Mp3:
        return std::make_unique<TagLib::MPEG::File>(name, frames, false);
    case MusicFormat::Flac:
        return std::make_unique<TagLib::FLAC::File>(name, frames, false);
    case MusicFormat::OggVorbis:
        return std::make_unique<TagLib::Ogg::Vorbis::File>(name, false);
    case MusicFormat::OggOpus:
        return std::make_unique<TagLib::Ogg::Opus::File>(name, false);
    case MusicFormat::Mp4:
        return std::make_unique<TagLib::MP4::File>(name, false);
    case MusicFormat::Unknown:
        break;
    }
    return nullptr;
}

} // namespace

MusicFormat musicFormatForName(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return MusicFormat::Unknown;
    const QStringView ext = fileName.mid(dot + 1);
    auto is = [ext](QStringView e) { return ext.compare(e, Qt::CaseInsensitive) == 0; };
    if (is(u"mp3"))
        return MusicFormat::Mp3;
    if (is(u"flac"))
        return MusicFormat::Flac;
    if (is(u"ogg") || is(u"oga"))
        return MusicFormat::OggVorbis;
    if (is(u"opus"))
        return MusicFormat::OggOpus;
    if (is(u"m4a") || is(u"mp4") || is(u"m4b"))
        return MusicFormat::Mp4;
    return MusicFormat::Unknown;
}

TaggedFile::TaggedFile(const QString &path) : TaggedFile(path, musicFormatForName(path)) {}

TaggedFile::TaggedFile(const QString &path, MusicFormat format) : kind(format)
{
    const QByteArray name = QFile::encodeName(path);
    file = openAs(kind, name.constData());
    // ".ogg" holds Vorbis or Opus (and ".opus" is sometimes misnamed).
    if (file && !file->isValid() && (kind == MusicFormat::OggVorbis || kind == MusicFormat::OggOpus)) {
        const MusicFormat other = kind == MusicFormat::OggVorbis ? MusicFormat::OggOpus : MusicFormat::OggVorbis;
        if (auto second = openAs(other, name.constData()); second && second->isValid()) {
            file = std::move(second);
            kind = other;
        }
    }
}

TaggedFile::~TaggedFile() = default;

bool TaggedFile::isValid() const
{
    return file && file->isValid();
}

QString TaggedFile::artist() const
{
    return isValid() && file->tag() ? toQString(file->tag()->artist()).trimmed() : QString();
}

QString TaggedFile::title() const
{
    return isValid() && file->tag() ? toQString(file->tag()->title()).trimmed() : QString();
}

std::optional<QString> TaggedFile::lyrics() const
{
    if (!isValid())
        return std::nullopt;
    switch (kind) {
    case MusicFormat::Mp3: {
        auto *mp3 = static_cast<TagLib::MPEG::File *>(file.get());
        if (!mp3->hasID3v2Tag())
            return std::nullopt;
        for (const TagLib::ID3v2::Frame *frame : mp3->ID3v2Tag()->frameList("USLT")) {
            if (const QString text = toQString(frame->toString()); !text.isEmpty())
                return text;
        }
        return std::nullopt;
    }
    case MusicFormat::Mp4: {
        const TagLib::MP4::Tag *tag = static_cast<TagLib::MP4::File *>(file.get())->tag();
        if (!tag || !tag->contains(mp4LyricsKey()))
            return std::nullopt;
        return firstNonEmpty(tag->item(mp4LyricsKey()).toStringList());
    }
    default:
        return xiphLyrics(xiphOf(file.get(), kind, false));
    }
}

QString TaggedFile::cannotWriteReason() const
{
    if (!isValid())
        return u"not a music file that can be read"_s;
    if (kind == MusicFormat::Mp3) {
        auto *mp3 = static_cast<TagLib::MPEG::File *>(file.get());
        if (mp3->hasID3v2Tag() && mp3->ID3v2Tag()->header()->majorVersion() < 3)
            return u"its ID3v2.2 tag cannot be written back in its own version"_s;
    }
    if (kind == MusicFormat::Mp4 && !static_cast<TagLib::MP4::File *>(file.get())->tag())
        return u"its MP4 structure has no place for tags"_s;
    return {};
}

bool TaggedFile::setLyrics(const QString &text)
{
    if (!cannotWriteReason().isEmpty())
        return false;
    const TagLib::String value = toTagString(text);
    switch (kind) {
    case MusicFormat::Mp3: {
        auto *mp3 = static_cast<TagLib::MPEG::File *>(file.get());
        const bool had = mp3->hasID3v2Tag();
        TagLib::ID3v2::Tag *tag = mp3->ID3v2Tag(true);
        const unsigned version = had ? tag->header()->majorVersion() : 4;
        // The language of the lyrics the file had, where it says one.
        TagLib::ByteVector language("eng");
        const TagLib::ID3v2::FrameList old = tag->frameList("USLT");
        if (!old.isEmpty()) {
            const TagLib::ByteVector l = static_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame *>(old.front())->language();
            if (l.size() == 3 && l != TagLib::ByteVector(3, '\0'))
                language = l;
        }
        tag->removeFrames("USLT");
        // ID3v2.3 knows no UTF-8; its Unicode is UTF-16.
        auto *frame = new TagLib::ID3v2::UnsynchronizedLyricsFrame(version >= 4 ? TagLib::String::UTF8
                                                                                  : TagLib::String::UTF16);
        frame->setLanguage(language);
        frame->setDescription(TagLib::String());
        frame->setText(value);
        tag->addFrame(frame);
        return true;
    }
    case MusicFormat::Mp4: {
        TagLib::MP4::Tag *tag = static_cast<TagLib::MP4::File *>(file.get())->tag();
        tag->setItem(mp4LyricsKey(), TagLib::MP4::Item(TagLib::StringList(value)));
        return true;
    }
    default:
        if (TagLib::Ogg::XiphComment *comment = xiphOf(file.get(), kind, true)) {
            comment->addField("LYRICS", value, true);
            return true;
        }
        return false;
    }
}

bool TaggedFile::save()
{
    if (!isValid())
        return false;
    if (kind == MusicFormat::Mp3) {
        auto *mp3 = static_cast<TagLib::MPEG::File *>(file.get());
        const unsigned found = mp3->hasID3v2Tag() ? mp3->ID3v2Tag()->header()->majorVersion() : 4;
        const auto version = found == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
        // TagLib's defaults would turn the tag into ID3v2.4, strip an APE
        // tag and add an ID3v1 copy.
        return mp3->save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version,
                         TagLib::File::DoNotDuplicate);
    }
    return file->save();
}
