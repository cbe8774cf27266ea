// The host's pages of the book "DistInfo": the formats the resource is
// distributed in, its distributors and the online resources where it is.

#include "pages.h"
#include "parties.h"

namespace tw::hostpages {
namespace {

using std::to_array;

// ---- Formats

constexpr auto kFormatControls =
    join(to_array<ControlSpec>({
             intro("The formats the resource is distributed in"),
             list_box("lstFormats", 0, 4, 0),
             label("lblName", "Name of the format", 4.2),
             text("txtName", 4.2, 5),
             label("lblVersion", "Version", 5.2),
             text("txtVersion", 5.2, 6, kFieldLeft, kHalfWidth),
             label("lblAmendment", "Amendment", 5.2, kSecondLabel, kSecondLabelWidth),
             text("txtAmendment", 5.2, 7, kSecondField, kSecondFieldWidth),
             label("lblSpec", "Specification", 6.2),
             text("txtSpec", 6.2, 8),
             label("lblDecompression", "Decompression technique", 7.2),
             text("txtDecompression", 7.2, 9),
         }),
         list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1));
constexpr Field kFormatFields[] = {
    {.control = "txtName", .path = "formatName", .required = true},
    {.control = "txtVersion", .path = "formatVer", .required = true},
    {.control = "txtAmendment", .path = "formatAmdNum"},
    {.control = "txtSpec", .path = "formatSpec"},
    {.control = "txtDecompression", .path = "fileDecmTech"},
};
constexpr std::string_view kFormatCaption[] = {"txtName", "txtVersion"};
constexpr Repeat kFormatLists[] = {{.list = "lstFormats",
                                    .path = "distInfo/distFormat",
                                    .fields = kFormatFields,
                                    .caption = kFormatCaption,
                                    .entry_name = "Format",
                                    .add = "cmdAdd",
                                    .remove = "cmdRemove",
                                    .up = "cmdUp",
                                    .down = "cmdDown"}};

// ---- Online resources, in their transfer options

constexpr Field kLinkFields[] = {
    {.control = "txtLinkage", .path = "linkage", .required = true},
    {.control = "txtProtocol", .path = "protocol"},
    {.control = "txtLinkName", .path = "orName"},
    {.control = "txtLinkDesc", .path = "orDesc"},
    {.control = "cmbFunction",
     .path = "orFunct/OnFunctCd",
     .kind = FieldKind::WordsAt,
     .words = &kFunctions},
};
constexpr std::string_view kLinkCaption[] = {"txtLinkName", "txtLinkage"};

// The fields of an online resource, from `row` down.
constexpr auto link_controls(double row, int tab) {
  return to_array<ControlSpec>({
      label("lblLinkage", "Address (URL)", row),
      text("txtLinkage", row, tab),
      label("lblProtocol", "Protocol", row + 1),
      text("txtProtocol", row + 1, tab + 1),
      label("lblLinkName", "Name", row + 2),
      text("txtLinkName", row + 2, tab + 2),
      label("lblLinkDesc", "Description", row + 3),
      text("txtLinkDesc", row + 3, tab + 3, kFieldLeft, kFieldWidth, 1.6),
      label("lblFunction", "Function", row + 4.6),
      combo("cmbFunction", row + 4.6, tab + 4),
  });
}

constexpr auto kOnlineControls = join(
    to_array<ControlSpec>({
        intro("Where the resource is online: its addresses, grouped as they are offered"),
        label("lblTransfers", "Transfer options", 0, kLabelLeft, kFullWidth),
        list_box("lstTransfers", 0.7, 4, 0),
        label("lblUnits", "Units of distribution", 4.9),
        text("txtUnits", 4.9, 5, kFieldLeft, kHalfWidth),
        label("lblSize", "Size (MB)", 4.9, kSecondLabel, kSecondLabelWidth),
        text("txtSize", 4.9, 6, kSecondField, kSecondFieldWidth, 1, "real"),
        label("lblLinks", "Online resources of the transfer option", 6, kLabelLeft, kFullWidth),
        list_box("lstLinks", 6.7, 4, 7),
    }),
    list_buttons("cmdAddTransfer", "cmdRemoveTransfer", "cmdTransferUp", "cmdTransferDown", 0.7, 1),
    list_buttons("cmdAddLink", "cmdRemoveLink", "cmdLinkUp", "cmdLinkDown", 6.7, 8),
    link_controls(10.9, 12));
constexpr Field kTransferFields[] = {
    {.control = "txtUnits", .path = "unitsODist"},
    {.control = "txtSize", .path = "transSize"},
};
constexpr std::string_view kTransferCaption[] = {"txtUnits", "txtSize"};
// Transfer options and, below the selected one, its online resources: the
// dataset's own (at `path` below the root) or a distributor's (below its entry).
constexpr Repeat transfer_list(std::string_view path, std::string_view parent = {}) {
  return {.list = "lstTransfers",
          .path = path,
          .parent = parent,
          .fields = kTransferFields,
          .caption = kTransferCaption,
          .entry_name = "Transfer option",
          .add = "cmdAddTransfer",
          .remove = "cmdRemoveTransfer",
          .up = "cmdTransferUp",
          .down = "cmdTransferDown"};
}
constexpr Repeat kLinkList = {.list = "lstLinks",
                              .path = "onLineSrc",
                              .parent = "lstTransfers",
                              .fields = kLinkFields,
                              .caption = kLinkCaption,
                              .entry_name = "Online resource",
                              .add = "cmdAddLink",
                              .remove = "cmdRemoveLink",
                              .up = "cmdLinkUp",
                              .down = "cmdLinkDown"};
constexpr Repeat kOnlineLists[] = {transfer_list("distInfo/distTranOps"), kLinkList};

// ---- Distributors: who they are and how to order from them

constexpr auto kDistributorControls = join(
    to_array<ControlSpec>({intro("Who distributes the resource, and how to order it from them")}),
    party_controls("lstDistributors"),
    to_array<ControlSpec>({
        label("lblOrders", "How to order from this distributor", 25, kLabelLeft, kFullWidth),
        list_box("lstOrders", 25.7, 4, 24),
        label("lblFees", "Fees", 29.9),
        text("txtFees", 29.9, 29),
        label("lblOrdInstr", "Ordering instructions", 30.9),
        text("txtOrdInstr", 30.9, 30, kFieldLeft, kFieldWidth, 1.6),
        label("lblTurnaround", "Turnaround", 32.5),
        text("txtTurnaround", 32.5, 31, kFieldLeft, kHalfWidth),
        label("lblAvailable", "Available from", 32.5, kSecondLabel, kSecondLabelWidth),
        text("txtAvailable", 32.5, 32, kSecondField, kSecondFieldWidth, 1, "date"),
    }),
    list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1),
    list_buttons("cmdAddOrder", "cmdRemoveOrder", "cmdOrderUp", "cmdOrderDown", 25.7, 25));
constexpr Field kOrderFields[] = {
    {.control = "txtFees", .path = "resFees"},
    {.control = "txtOrdInstr", .path = "ordInstr"},
    {.control = "txtTurnaround", .path = "ordTurn"},
    {.control = "txtAvailable", .path = "planAvDtTm"},
};
constexpr std::string_view kOrderCaption[] = {"txtFees", "txtOrdInstr", "txtTurnaround"};
constexpr Repeat kDistributorLists[] = {
    {.list = "lstDistributors",
     .path = "distInfo/distributor",
     .within = "distorCont",
     .fields = kCodedRoleParty,
     .caption = kPartyCaption,
     .entry_name = "Distributor",
     .add = "cmdAdd",
     .remove = "cmdRemove",
     .up = "cmdUp",
     .down = "cmdDown",
     .one_of = kPartyNames},
    {.list = "lstOrders",
     .path = "distorOrdPrc",
     .parent = "lstDistributors",
     .fields = kOrderFields,
     .caption = kOrderCaption,
     .entry_name = "Order process",
     .add = "cmdAddOrder",
     .remove = "cmdRemoveOrder",
     .up = "cmdOrderUp",
     .down = "cmdOrderDown"},
};

// ---- What each distributor offers: formats and transfer options

constexpr auto kOfferControls = join(
    to_array<ControlSpec>({
        intro("What each distributor offers: the formats, and where the resource is online"),
        label("lblDistributors", "Distributors", 0, kLabelLeft, kFullWidth),
        list_box("lstDistributors", 0.7, 4, 0),
        label("lblDistName", "Organisation's name", 4.9),
        text("txtDistName", 4.9, 5),
        label("lblFormats", "Formats of this distributor", 6.1, kLabelLeft, kFullWidth),
        list_box("lstDistFormats", 6.8, 4, 6),
        label("lblFormatName", "Format name", 11),
        text("txtFormatName", 11, 11, kFieldLeft, kHalfWidth + 600),
        label("lblFormatVersion", "Version", 11, kSecondLabel + 600, kSecondLabelWidth - 600),
        text("txtFormatVersion", 11, 12, kSecondField, kSecondFieldWidth),
        label("lblTransfers", "Transfer options of this distributor", 12.2, kLabelLeft, kFullWidth),
        list_box("lstTransfers", 12.9, 4, 13),
        label("lblUnits", "Units of distribution", 17.1),
        text("txtUnits", 17.1, 18, kFieldLeft, kHalfWidth),
        label("lblSize", "Size (MB)", 17.1, kSecondLabel, kSecondLabelWidth),
        text("txtSize", 17.1, 19, kSecondField, kSecondFieldWidth, 1, "real"),
        label("lblLinks", "Online resources of the transfer option", 18.3, kLabelLeft, kFullWidth),
        list_box("lstLinks", 19, 4, 20),
    }),
    list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0.7, 1),
    list_buttons("cmdAddFormat", "cmdRemoveFormat", "cmdFormatUp", "cmdFormatDown", 6.8, 7),
    list_buttons("cmdAddTransfer", "cmdRemoveTransfer", "cmdTransferUp", "cmdTransferDown", 12.9,
                 14),
    list_buttons("cmdAddLink", "cmdRemoveLink", "cmdLinkUp", "cmdLinkDown", 19, 21),
    link_controls(23.2, 25));
constexpr Field kOfferDistributorFields[] = {
    {.control = "txtDistName", .path = "distorCont/rpOrgName"},
};
constexpr std::string_view kOfferDistributorCaption[] = {"txtDistName"};
constexpr Field kDistFormatFields[] = {
    {.control = "txtFormatName", .path = "formatName", .required = true},
    {.control = "txtFormatVersion", .path = "formatVer", .required = true},
};
constexpr std::string_view kDistFormatCaption[] = {"txtFormatName", "txtFormatVersion"};
constexpr Repeat kOfferLists[] = {
    {.list = "lstDistributors",
     .path = "distInfo/distributor",
     .fields = kOfferDistributorFields,
     .caption = kOfferDistributorCaption,
     .entry_name = "Distributor",
     .add = "cmdAdd",
     .remove = "cmdRemove",
     .up = "cmdUp",
     .down = "cmdDown"},
    {.list = "lstDistFormats",
     .path = "distorFormat",
     .parent = "lstDistributors",
     .fields = kDistFormatFields,
     .caption = kDistFormatCaption,
     .entry_name = "Format",
     .add = "cmdAddFormat",
     .remove = "cmdRemoveFormat",
     .up = "cmdFormatUp",
     .down = "cmdFormatDown"},
    transfer_list("distorTran", "lstDistributors"),
    kLinkList,
};

}  // namespace

extern const PageData kFormatsPage;
constexpr PageData kFormatsPage =
    host_page("Formats", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A41}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A42}"), "Distribution formats",
              kFormatControls, {}, kFormatLists);
extern const PageData kDistributorsPage;
constexpr PageData kDistributorsPage =
    host_page("Distributors", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A43}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A44}"), "Distributors",
              kDistributorControls, {}, kDistributorLists);
extern const PageData kDistributorOffersPage;
constexpr PageData kDistributorOffersPage =
    host_page("DistributorOffers", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A47}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A48}"),
              "Distributors' formats and links", kOfferControls, {}, kOfferLists);
extern const PageData kOnlineResourcesPage;
constexpr PageData kOnlineResourcesPage =
    host_page("OnlineResources", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A45}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A46}"), "Online resources",
              kOnlineControls, {}, kOnlineLists);

}  // namespace tw::hostpages
