#include "page/SchoolHeading.h"

#include "xml/XmlStream.h"

namespace tmq {

namespace {

// Collects D_CENTRO and C_ANNO from the entries; stops the reading once
// ENTRADAS ends, so that a district's document is not read through.
class HeadingReader : public XmlStreamHandler {
public:
    struct Done {};

    void startElement(std::string_view localName, bool /*plain*/,
                      const XmlAttributes& attributes) override
    {
        ++depth_;
        if (localName == "ENTRADAS" && entries_ == 0)
            entries_ = depth_;
        target_ = nullptr;
        if (entries_ == 0 || localName != "entrada")
            return;
        const auto dato = attributes.find("dato");
        if (dato == "D_CENTRO")
            target_ = &heading.name;
        else if (dato == "C_ANNO")
            target_ = &heading.year;
        if (target_ != nullptr)
            target_->clear();
    }

    void endElement() override
    {
        target_ = nullptr;
        if (depth_-- == entries_)
            throw Done{};
    }

    void text(std::string_view utf8) override
    {
        if (target_ != nullptr)
            *target_ += utf8;
    }

    SchoolHeading heading;

private:
    int depth_ = 0;
    int entries_ = 0;
    std::string* target_ = nullptr;
};

std::string trimmed(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

} // namespace

SchoolHeading readSchoolHeading(const std::string& documentPath)
{
    HeadingReader reader;
    try {
        streamDocument(documentPath, reader);
    } catch (const HeadingReader::Done&) {
    }
    return {trimmed(reader.heading.name), trimmed(reader.heading.year)};
}

} // namespace tmq
