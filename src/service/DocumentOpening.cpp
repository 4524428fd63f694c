// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocumentOpening.h"

#include <ErrorCodes.h>
#include <goo/GooString.h>
#include <PDFDoc.h>

#include <optional>
#include <string>

namespace documentopening {

namespace {

using serviceprotocol::ConvertRequest;
using serviceprotocol::OutcomeKind;
using serviceprotocol::PasswordUse;

std::unique_ptr<PDFDoc> openDocument(const std::string &path,
                                     const std::optional<GooString> &ownerPassword,
                                     const std::optional<GooString> &userPassword)
{
    return std::make_unique<PDFDoc>(std::make_unique<GooString>(path), ownerPassword, userPassword);
}

int stringLength(const Object &object)
{
    return object.isString() ? object.getString()->getLength() : -1;
}

// A file whose encryption no password can undo: a security handler other than the standard one
// (the only one poppler has), or a standard one whose own entries poppler refuses (the kinds and
// lengths its handler requires). It is damaged, as pdftotext's mode says, not locked.
bool noPasswordCanOpen(PDFDoc &doc)
{
    XRef *xref = doc.getXRef();
    if (!xref)
        return true;
    const Object encrypt = xref->getTrailerDict()->dictLookup("Encrypt");
    if (!encrypt.isDict() || !encrypt.dictLookup("Filter").isName("Standard"))
        return true;
    const Object version = encrypt.dictLookup("V");
    const Object revision = encrypt.dictLookup("R");
    if (!version.isInt() || !revision.isInt() || !encrypt.dictLookup("P").isInt())
        return true;
    const int v = version.getInt();
    const int r = revision.getInt();
    if ((v != 1 && v != 2 && v != 4 && v != 5) || r < 2 || r > 6)
        return true;
    const int owner = stringLength(encrypt.dictLookup("O"));
    const int user = stringLength(encrypt.dictLookup("U"));
    if (r <= 4)
        return owner != 32 || user != 32;
    return owner < 48 || user < 48 || stringLength(encrypt.dictLookup("OE")) != 32 ||
           stringLength(encrypt.dictLookup("UE")) != 32;
}

OutcomeKind openFailureKind(PDFDoc &doc, int popplerError, bool passwordGiven)
{
    switch (popplerError) {
    case errEncrypted:
        if (noPasswordCanOpen(doc))
            return OutcomeKind::Damaged;
        return passwordGiven ? OutcomeKind::WrongPassword : OutcomeKind::NeedsPassword;
    case errOpenFile:
        return OutcomeKind::CannotOpen;
    default:
        return OutcomeKind::Damaged;
    }
}

} // namespace

std::unique_ptr<PDFDoc> openWithPassword(const ConvertRequest &request)
{
    std::optional<GooString> password;
    if (request.passwordUse != PasswordUse::None)
        password = GooString(request.password);
    const bool asOwner = request.passwordUse == PasswordUse::Owner ||
                         request.passwordUse == PasswordUse::OwnerThenUser;
    std::unique_ptr<PDFDoc> doc = asOwner ? openDocument(request.pdfPath, password, std::nullopt)
                                          : openDocument(request.pdfPath, std::nullopt, password);
    // A file locked by an open password refuses that password offered as the owner's.
    if (!doc->isOk() && doc->getErrorCode() == errEncrypted &&
        request.passwordUse == PasswordUse::OwnerThenUser)
        doc = openDocument(request.pdfPath, std::nullopt, password);
    return doc;
}

serviceprotocol::Outcome unopened(PDFDoc &doc, const ConvertRequest &request)
{
    serviceprotocol::Outcome outcome;
    outcome.popplerError = doc.getErrorCode();
    outcome.kind =
        openFailureKind(doc, outcome.popplerError, request.passwordUse != PasswordUse::None);
    if (outcome.kind == OutcomeKind::CannotOpen)
        outcome.systemError = doc.getFopenErrno();
    outcome.exitCode = 1;
    return outcome;
}

} // namespace documentopening
