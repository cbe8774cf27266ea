// The editing session the command line and the browser editor share: the
// steps between an item file and a page, on the real component libraries.

#include <functional>
#include <set>

#include "server/server_fixture.h"

namespace tw::host {
namespace {

using server::kItem;
namespace fs = std::filesystem;

class SessionTest : public server::ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    server::switch_off_synchronizers(home_);
    components_ = std::make_unique<ComponentHost>();
  }
  fs::path item() const { return catalog_ / kItem; }
};

TEST_F(SessionTest, AnEditReachesTheFileOnlyThroughLeavingThePageAndSaving) {
  EditingSession session(item());
  EXPECT_TRUE(session.tree_result());
  session.open("Purpose");
  const std::vector<Edit> edits = {{Edit::Kind::Type, "txtInfo", "Map the 2024 retreat"}};
  session.edit(edits);
  EXPECT_FALSE(session.modified()) << "the page holds the edit until it is left";
  EXPECT_TRUE(session.review().changes.empty());

  const Leave left = session.leave();
  EXPECT_TRUE(left.query_unload);
  EXPECT_TRUE(left.unload_page);
  EXPECT_TRUE(session.modified());
  const auto changes = session.review().changes;
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].path, "dataIdInfo/idPurp");
  EXPECT_EQ(changes[0].after, "Map the 2024 retreat");
  EXPECT_EQ(changes[1].path, "dataIdInfo/idPurp@ns");
  EXPECT_EQ(test::read_file(item()), original_);

  session.save();
  EXPECT_NE(test::read_file(item()).find(">Map the 2024 retreat</idPurp>"), std::string::npos);
  EXPECT_TRUE(session.review().changes.empty());
}

TEST_F(SessionTest, AFailingUnloadLeavesTheDocumentAsItWas) {
  EditingSession session(item());
  session.open("Contact");
  // The name is written first; the fax, written last, holds a character XML
  // cannot. The session refuses such an edit, so it reaches the box the way
  // a page's own code would put it there.
  const std::vector<Edit> edits = {{Edit::Kind::Type, "txtName", "Ada Lindqvist"}};
  session.edit(edits);
  session.page()->form().get("txtFax").type("fax \x01");
  const std::string before = session.document().xml();
  try {
    session.leave();
    FAIL() << "UnloadPage wrote a character XML cannot hold";
  } catch (const com::MemberFailure& failure) {
    EXPECT_EQ(failure.member(), "IMetaDataPage.UnloadPage");
    EXPECT_EQ(failure.interface_name(), "IMetaDataPage");
    EXPECT_EQ(failure.code(), com::E_INVALIDARG);
  }
  EXPECT_EQ(session.document().xml(), before) << "the name written before the failure is gone";
  EXPECT_FALSE(session.modified());
  ASSERT_NE(session.page(), nullptr) << "the page stays open to be mended";

  const std::vector<Edit> mend = {{Edit::Kind::Type, "txtFax", "+44 1632 960 419"}};
  session.edit(mend);
  session.leave();
  EXPECT_NE(session.document().xml().find("Ada Lindqvist"), std::string::npos);
}

TEST_F(SessionTest, EditsAreCheckedBeforeAnyIsMade) {
  EditingSession session(item());
  OpenPage& page = session.open("QualityScope");
  const std::string level = page.form().get("cmbLevel").text();
  const struct {
    Edit bad;
    const char* why;
  } cases[] = {
      {{Edit::Kind::Pick, "cmbLevel", "galaxy"}, "is not an item of the list"},
      {{Edit::Kind::Check, "cmbLevel", ""}, "not a check box"},
      {{Edit::Kind::Type, "lblLevel", "x"}, "takes no typing"},
      {{Edit::Kind::Choose, "txtDataSet", ""}, "not an option button"},
      {{Edit::Kind::Type, "cmbNope", "x"}, "has no control"},
  };
  for (const auto& c : cases) {
    const std::vector<Edit> edits = {{Edit::Kind::Pick, "cmbLevel", "series"}, c.bad};
    try {
      session.edit(edits);
      ADD_FAILURE() << c.why;
    } catch (const InvalidEdit& e) {
      EXPECT_EQ(e.kind(), c.bad.kind);
      EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << e.what();
    }
    EXPECT_EQ(page.form().get("cmbLevel").text(), level) << "the good edit before it was not made";
  }
  EXPECT_THROW(session.open("NoSuchPage"), InvalidRequest);
  EXPECT_THROW(session.open("X", std::string("NoSuchClass")), InvalidRequest);
}

TEST_F(SessionTest, ProbingTellsEachEntrysTitleAndWhetherItsPageIsCompleted) {
  test::write_file(item(), "<metadata/>");
  EditingSession session(item());
  Probes probes;
  const auto states = probes.entries(session.document(), session.tree());
  ASSERT_EQ(states.size(), 94u);  // the host's 29 pages and the project's 65
  std::vector<std::string> not_completed;
  for (const EntryState& state : states) {
    EXPECT_FALSE(state.failure) << state.unique_name << ": " << *state.failure;
    if (!state.completed) not_completed.push_back(state.unique_name);
  }
  // An empty record lacks its title, dates, abstract, metadata date stamp and
  // contact, and the languages of its data.
  EXPECT_EQ(not_completed,
            (std::vector<std::string>{"Citation", "Description", "MetadataInfo", "MetadataContacts",
                                      "Purpose", "DataLanguages", "Format", "QualityLineage"}));
  EXPECT_EQ(states[0].title, "Citation");
  EXPECT_EQ(states[12].title, "Purpose");
  EXPECT_EQ(probes
                .entry(*session.document().copy().get(), session.tree(), "QualityReport",
                       "TidewiseCustomPage.QualityReport")
                .title,
            "Data quality elements");
  EXPECT_EQ(test::read_file(item()), "<metadata/>") << "probing writes nothing";
  const Probes::Offered offered[] = {{"QualityReport", "TidewiseCustomPage.QualityReport"}};
  const auto answers = [&] { return probes.answers(session.document(), session.tree(), offered); };
  EXPECT_FALSE(answers().entries[12].completed);
  EXPECT_EQ(answers().offered.at(0).title, "Data quality elements");

  // The open page answers for itself, with what it holds now.
  session.open("Purpose");
  EXPECT_FALSE(session.page_state()->completed);
  const std::vector<Edit> edits = {{Edit::Kind::Type, "txtInfo", "now completed"}};
  session.edit(edits);
  EXPECT_TRUE(session.page_state()->completed);
  // The answers kept are asked again once the document or the tree changed.
  session.leave();
  EXPECT_TRUE(answers().entries[12].completed) << "the purpose written";
  session.open("QualityReport", std::string("QualityReport"));
  const std::vector<Edit> tick = {{Edit::Kind::Check, "chkQuanAttAcc", ""}};
  session.edit(tick);
  session.flush();
  EXPECT_EQ(answers().entries.size(), 95u) << "the entry the quality report added";
}

TEST_F(SessionTest, FlushingKeepsThePageAndWhatItAddsToTheTreeStays) {
  EditingSession session(item());
  session.open("QualityReport", std::string("QualityReport"));
  const std::vector<Edit> tick = {{Edit::Kind::Check, "chkQuanAttAcc", ""}};
  session.edit(tick);
  EXPECT_EQ(session.tree().find_page("DQQuanAttAcc"), nullptr);
  session.flush();
  ASSERT_NE(session.tree().find_page("DQQuanAttAcc"), nullptr);
  EXPECT_EQ(session.page()->form().get("chkQuanAttAcc").value(), 1)
      << "the same page, loaded again";
  session.flush();
  int added = 0;
  for (const auto& book : session.tree().books()) {
    for (const auto& entry : book->entries()) added += entry->unique_name() == "DQQuanAttAcc";
  }
  EXPECT_EQ(added, 1);
  EXPECT_FALSE(session.modified()) << "the quality report writes nothing into the document";
}

// Dirty means the document's content changed since it was read or saved;
// a review stays the one to save by until the document or the file moves on.
TEST_F(SessionTest, DirtyAndTheLastReviewFollowTheDocumentAndTheFile) {
  EditingSession session(item());
  const auto type = [&](const char* text) {
    const std::vector<Edit> edits = {{Edit::Kind::Type, "txtInfo", text}};
    session.edit(edits);
  };
  const struct {
    const char* name;
    std::function<void()> step;
    bool dirty;
  } cases[] = {
      {"the page opened", [&] { session.open("Purpose"); }, false},
      {"a page left without an edit", [&] { session.flush(); }, false},
      {"an edit still on the page", [&] { type("Map the 2024 retreat"); }, false},
      {"the edit written", [&] { session.flush(); }, true},
      {"the same text written again", [&] { session.flush(); }, true},
      {"saved", [&] { session.save(); }, false},
      {"written back as it was saved", [&] { session.flush(); }, false},
      {"a text changed and changed back",
       [&] {
         type("Another purpose");
         session.flush();
         type("Map the 2024 retreat");
         session.flush();
       },
       true},
      {"saved again", [&] { session.save(); }, false},
  };
  for (const auto& c : cases) {
    c.step();
    EXPECT_EQ(session.dirty(), c.dirty) << c.name;
  }

  const auto still = [&](const std::function<void()>& step) {
    const std::uint64_t digest = session.review().digest;
    EXPECT_TRUE(session.still_reviewed(digest));
    step();
    return session.still_reviewed(digest);
  };
  EXPECT_TRUE(still([&] { session.flush(); })) << "nothing changed";
  EXPECT_FALSE(still([&] {
    type("A third purpose");
    session.flush();
  })) << "the document changed";
  EXPECT_FALSE(still([&] { test::write_file(item(), test::read_file(item()) + "\n"); }))
      << "the file changed";
  EXPECT_FALSE(session.still_reviewed(0));
  // The same file and document give the same digest; another document another.
  EXPECT_EQ(session.review().digest, session.review().digest);
  const std::uint64_t before = session.review().digest;
  type("A fourth purpose");
  session.flush();
  EXPECT_NE(session.review().digest, before);
}

// While the file is the one read, the review compares with the document as
// it was read; once another program wrote the file, with what it wrote. The
// digest follows the file's bytes either way, and the author's own changes
// stay the same whatever the file holds.
TEST_F(SessionTest, TheReviewComparesWithTheFileAsAnotherProgramLeftIt) {
  EditingSession session(item());
  session.open("Purpose");
  const std::vector<Edit> edits = {{Edit::Kind::Type, "txtInfo", "Map the 2024 retreat"}};
  session.edit(edits);
  session.flush();
  const auto paths_of = [](const std::vector<Difference>& changes) {
    std::set<std::string> paths;
    for (const Difference& d : changes) paths.insert(d.path);
    return paths;
  };
  const std::set<std::string> mine = {"dataIdInfo/idPurp", "dataIdInfo/idPurp@ns"};
  const std::uint64_t as_read = session.review().digest;
  std::string retitled = original_;
  retitled.replace(retitled.find("Shoreline position"), 18, "Another title");
  const struct {
    const char* name;
    const std::string* written;  // by another program; none: the file as read
    std::set<std::string> review;
  } cases[] = {
      {"the file as read", nullptr, mine},
      {"the same bytes written again", &original_, mine},
      {"another title written",
       &retitled,
       {"dataIdInfo/idCitation/resTitle", "dataIdInfo/idPurp", "dataIdInfo/idPurp@ns"}},
      {"the file as read written back", &original_, mine},
  };
  for (const auto& c : cases) {
    if (c.written) {
      // Beside it and renamed over it, as editors do: a stamp of its own.
      test::write_file(catalog_ / ".another.xml", *c.written);
      fs::rename(catalog_ / ".another.xml", item());
    }
    const ItemReview review = session.review();
    EXPECT_EQ(paths_of(review.changes), c.review) << c.name;
    EXPECT_EQ(review.digest == as_read, c.review == mine) << c.name;
    EXPECT_TRUE(session.still_reviewed(review.digest)) << c.name;
    EXPECT_EQ(paths_of(session.changes_since_read().changes), mine) << c.name;
  }
}

TEST_F(SessionTest, AnItemWithoutAFileReviewsAsEverythingAdded) {
  EditingSession session(catalog_ / "new.xml");
  session.open("Purpose");
  const std::vector<Edit> edits = {{Edit::Kind::Type, "txtInfo", "First purpose"}};
  session.edit(edits);
  session.leave();
  const auto changes = session.review().changes;
  ASSERT_EQ(changes.size(), 2u);
  for (const Difference& d : changes) {
    EXPECT_EQ(d.change, Difference::Change::Added) << d.path;
    EXPECT_FALSE(d.before) << d.path;
  }
  EXPECT_FALSE(fs::exists(catalog_ / "new.xml"));
}

TEST_F(SessionTest, APageLeftWithoutAnEditWritesNothingWhereTheFrontKeepsUneditedPages) {
  const struct {
    bool keep_unedited;
    bool looking_writes;
  } cases[] = {{false, true}, {true, false}};
  // Without constraints, the page writes its defaults as it is left.
  test::write_file(item(), "<metadata/>");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keep_unedited);
    SessionOptions options;
    options.keep_unedited_pages = c.keep_unedited;
    EditingSession session(item(), options);
    const std::string before = session.document().xml();
    session.open("Constraint");
    session.leave();
    EXPECT_EQ(session.modified(), c.looking_writes);
    EXPECT_EQ(session.document().xml() != before, c.looking_writes);

    // An edit is kept, also once written and the page left again unedited.
    session.open("Purpose");
    const std::vector<Edit> edits = {{Edit::Kind::Type, "txtInfo", "typed, then flushed"}};
    session.edit(edits);
    session.flush();
    EXPECT_FALSE(session.page_edited());
    session.leave();
    session.open("Contact");
    session.leave();
    EXPECT_TRUE(session.modified());
    EXPECT_NE(session.document().xml().find(">typed, then flushed<"), std::string::npos);
    // Every change the review lists is the edited page's, none the pages
    // only looked at.
    if (!c.keep_unedited) continue;
    const auto changes = session.review().changes;
    ASSERT_FALSE(changes.empty());
    for (const Difference& d : changes) {
      const auto by = session.written_by().find(d.path);
      ASSERT_NE(by, session.written_by().end()) << d.path;
      EXPECT_EQ(by->second.page, "Purpose") << d.path;
    }
  }
}

}  // namespace
}  // namespace tw::host
