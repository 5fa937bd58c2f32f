// SPDX-License-Identifier: GPL-3.0-or-later
// parseXmlDocument with XmlLite, the XML reader every Windows has (xmllite.dll): the module
// carries no XML library of its own. MinGW has no import library for it, so it is loaded from
// the system folder while a document is read. The document is read from memory, without DTDs.
#include "description/XmlTree.h"

#include <windows.h>

#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <cstring>
#include <string>
#include <vector>

namespace VSTGUI {

namespace {

template <typename T>
struct ComPtr
{
    T* p = nullptr;
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr()
    {
        if (p) p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

std::string utf8Of(const WCHAR* text, UINT length)
{
    if (!text || length == 0) return {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string result(std::size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, int(length), &result[0], bytes, nullptr, nullptr);
    return result;
}

std::string currentName(IXmlReader& reader)
{
    const WCHAR* name = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetLocalName(&name, &length))) return {};
    const WCHAR* prefix = nullptr;
    UINT prefixLength = 0;
    if (SUCCEEDED(reader.GetPrefix(&prefix, &prefixLength)) && prefixLength > 0)
        return utf8Of(prefix, prefixLength) + ":" + utf8Of(name, length);
    return utf8Of(name, length);
}

bool readAttributes(IXmlReader& reader, XmlElement& element)
{
    HRESULT result = reader.MoveToFirstAttribute();
    while (result == S_OK)
    {
        const WCHAR* value = nullptr;
        UINT length = 0;
        if (FAILED(reader.GetValue(&value, &length))) return false;
        // Namespace declarations are attributes to XmlLite, as they are to pugixml.
        element.attributes.emplace_back(currentName(reader), utf8Of(value, length));
        result = reader.MoveToNextAttribute();
    }
    if (FAILED(result)) return false;
    return SUCCEEDED(reader.MoveToElement());
}

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

/** xmllite.dll, loaded for as long as the object lives. */
class XmlLiteLibrary
{
public:
    XmlLiteLibrary() : module(LoadLibraryExW(L"xmllite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
    {}
    ~XmlLiteLibrary()
    {
        if (module) FreeLibrary(module);
    }
    XmlLiteLibrary(const XmlLiteLibrary&) = delete;
    XmlLiteLibrary& operator=(const XmlLiteLibrary&) = delete;

    CreateXmlReaderFunction createReader() const
    {
        return module ? reinterpret_cast<CreateXmlReaderFunction>(
                            reinterpret_cast<void*>(GetProcAddress(module, "CreateXmlReader")))
                      : nullptr;
    }

private:
    HMODULE module;
};

/** Whether an element starts after the XML declaration. Wine's XmlLite aborts the process on a
 *  document that ends within or right after its declaration; no such document is well-formed,
 *  so it never gets that far. */
bool hasElementAfterDeclaration(const unsigned char* data, std::size_t size)
{
    std::size_t at = 0;
    static const char kDeclaration[] = "<?xml";
    const std::size_t declarationLength = sizeof(kDeclaration) - 1;
    std::size_t scan = 0;
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) scan = 3;
    if (size - scan >= declarationLength &&
        std::memcmp(data + scan, kDeclaration, declarationLength) == 0)
    {
        at = scan + declarationLength;
        while (at + 1 < size && !(data[at] == '?' && data[at + 1] == '>'))
            ++at;
        if (at + 1 >= size) return false;
        at += 2;
    }
    for (; at + 1 < size; ++at)
    {
        const unsigned char next = data[at + 1];
        if (data[at] == '<' && (next == '_' || next == ':' || next >= 0x80 ||
                                (next >= 'A' && next <= 'Z') || (next >= 'a' && next <= 'z')))
            return true;
    }
    return false;
}

bool isXmlSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

/** Whether the input really ends the root element `name` with its end tag (or as an empty
 *  element), followed by nothing but white space, comments and processing instructions. Wine's
 *  XmlLite closes elements left open at the end of the input itself, so a truncated document
 *  would read as a complete one. */
bool closesRootItself(const unsigned char* data, std::size_t size, const std::string& name,
                      bool emptyRoot)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t end = text.size();
    for (;;)
    {
        while (end > 0 && isXmlSpace(static_cast<unsigned char>(text[end - 1])))
            --end;
        const std::string head = text.substr(0, end);
        if (head.size() >= 3 && head.compare(head.size() - 3, 3, "-->") == 0)
        {
            const std::size_t open = head.rfind("<!--", head.size() - 3);
            if (open == std::string::npos) return false;
            end = open;
        }
        else if (head.size() >= 2 && head.compare(head.size() - 2, 2, "?>") == 0)
        {
            const std::size_t open = head.rfind("<?", head.size() - 2);
            if (open == std::string::npos) return false;
            end = open;
        }
        else
        {
            break;
        }
    }
    if (emptyRoot) return end >= 2 && text.compare(end - 2, 2, "/>") == 0;
    if (end == 0 || text[end - 1] != '>') return false;
    std::size_t at = end - 1;
    while (at > 0 && isXmlSpace(static_cast<unsigned char>(text[at - 1])))
        --at;
    const std::string tag = "</" + name;
    return at >= tag.size() && text.compare(at - tag.size(), tag.size(), tag) == 0;
}

} // namespace

bool parseXmlDocument(const unsigned char* data, std::size_t size, XmlElement& root)
{
    root = XmlElement();
    if (!data || size > 0x7FFFFFFF) return false;
    // The checks on the raw text read UTF-8 (and ASCII); a UTF-16 document goes to the reader
    // as it is.
    const bool utf16 =
        size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
    if (!utf16 && !hasElementAfterDeclaration(data, size)) return false;
    XmlLiteLibrary library; // outlives the reader below
    CreateXmlReaderFunction createReader = library.createReader();
    if (!createReader) return false;
    ComPtr<IStream> stream;
    stream.p = SHCreateMemStream(data, UINT(size));
    if (!stream.p) return false;
    ComPtr<IXmlReader> reader;
    if (FAILED(createReader(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.out()), nullptr)))
        return false;
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    // Depth is limited below, by leaving deep elements out, as with any parser.
    reader->SetProperty(XmlReaderProperty_MaxElementDepth, 0);
    if (FAILED(reader->SetInput(stream.p))) return false;

    XmlElement document;
    // The open elements; those deeper than kMaxDepth are counted but not kept.
    std::vector<XmlElement*> open{&document};
    int skippedDepth = 0;
    bool rootWasEmpty = false;
    XmlNodeType type;
    HRESULT result;
    // Every node takes at least one byte of the input: a reader that reports more has stopped
    // moving (Wine's repeats an element left open at the end for ever).
    std::size_t nodes = 0;
    while ((result = reader->Read(&type)) == S_OK)
    {
        if (++nodes > size) return false;
        if (type == XmlNodeType_Element)
        {
            bool empty = reader->IsEmptyElement() != FALSE;
            if (skippedDepth > 0 || int(open.size()) > XmlElement::kMaxDepth)
            {
                if (!empty) ++skippedDepth;
                continue;
            }
            XmlElement& parent = *open.back();
            if (&parent == &document)
            {
                if (!document.children.empty()) return false;
                rootWasEmpty = empty;
            }
            parent.children.emplace_back();
            XmlElement& element = parent.children.back();
            element.name = currentName(*reader.p);
            if (!readAttributes(*reader.p, element)) return false;
            if (!empty) open.push_back(&element);
        }
        else if (type == XmlNodeType_EndElement)
        {
            if (skippedDepth > 0)
                --skippedDepth;
            else if (open.size() > 1)
                open.pop_back();
        }
    }
    // Anything but a clean end of input (S_FALSE) is a malformed document.
    if (result != S_FALSE || document.children.size() != 1 || open.size() != 1 ||
        (!utf16 && !closesRootItself(data, size, document.children.front().name, rootWasEmpty)))
        return false;
    root = std::move(document.children.front());
    return true;
}

} // namespace VSTGUI
