#include "tests/support/build_3ds.h"
#include "tests/support/build_lwob.h"
#include "tests/viewer/build_kzo.h"
#include "tests/viewer/viewer_test_support.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

using namespace kzotest;
using kzoview::LoadObjectFile;
using kzoview::ViewerDocument;

namespace {

class LoadObjectFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("kzoview_load_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::string errorLoading(const std::string& path) {
        ViewerDocument doc;
        try {
            LoadObjectFile(path, doc);
        } catch (const kzoview::FatalError& e) {
            EXPECT_EQ(doc.mesh.arena.bytesHeld, 0u);
            return e.what();
        }
        return "";
    }

    std::filesystem::path dir;
};

Bytes triangleKzo() {
    KzoInput in;
    in.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    in.faces = {{0, 1, 2}};
    in.shadingType = 4;
    return kzoFile(in);
}

} // namespace

TEST_F(LoadObjectFileTest, choosesTheLoaderByTheLastThreeCharactersInAnyCase) {
    ViewerDocument doc;
    LoadObjectFile(write("SHIP.KZO", triangleKzo()), doc);
    EXPECT_EQ(doc.captionText, "SHIP.KZO 1 faces 3 vertices type 4");
    LoadObjectFile(write("shipkzo", triangleKzo()), doc);
    EXPECT_EQ(doc.captionText, "shipkzo 1 faces 3 vertices type 4");
    LoadObjectFile(write("with space.Lwo",
                         lwobFile(pnts({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) + pols({{0, 1, 2}}))),
                   doc);
    EXPECT_EQ(doc.captionText, "with space.Lwo 1 faces 3 vertices");
    LoadObjectFile(
        write("tri.3DS", file3ds(object("t", vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) +
                                                 faceList({{0, 1, 2}})))),
        doc);
    EXPECT_EQ(doc.captionText, "tri.3DS 1 faces 3 vertices");
}

TEST_F(LoadObjectFileTest, aLoadWithoutEdgesHoldsTheSameMeshWithoutItsEdges) {
    const Bytes quad3ds =
        file3ds(object("q", vertexList({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}) +
                                faceList({{0, 1, 2}, {0, 2, 3}})));
    KzoInput quadKzo;
    quadKzo.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    quadKzo.faces = {{0, 1, 2, 3}};
    for (const std::string& path :
         {write("q.3ds", quad3ds), write("q.kzo", kzoFile(quadKzo)),
          write("q.lwo", lwobFile(pnts({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}) +
                                  pols({{0, 1, 2, 3}})))}) {
        ViewerDocument whole, bare;
        LoadObjectFile(path, whole);
        LoadObjectFile(path, bare, kzoview::LoadScope::withoutEdges);
        EXPECT_GT(whole.mesh.edgeCount, 0u) << path;
        EXPECT_EQ(bare.mesh.edgeCount, 0u) << path;
        EXPECT_EQ(bare.mesh.cornerEdges, nullptr) << path;
        EXPECT_EQ(bare.captionText, whole.captionText) << path;
        ASSERT_EQ(bare.mesh.faceCount, whole.mesh.faceCount) << path;
        for (std::int32_t f = 0; f < whole.mesh.faceCount; ++f) {
            EXPECT_EQ(cornerNumbers(bare.mesh, f), cornerNumbers(whole.mesh, f)) << path;
        }
        for (std::int32_t v = 0; v < whole.mesh.vertexCount; ++v) {
            EXPECT_EQ(bare.mesh.vertexArray[v].x, whole.mesh.vertexArray[v].x) << path;
            EXPECT_EQ(bare.mesh.vertexArray[v].y, whole.mesh.vertexArray[v].y) << path;
        }
        EXPECT_EQ(bare.mesh.viewDistance, whole.mesh.viewDistance) << path;
    }
}

TEST_F(LoadObjectFileTest, refusesOtherExtensions) {
    EXPECT_EQ(errorLoading(write("model.kzw", triangleKzo())), "'.kzw' is not supported yet");
    EXPECT_EQ(errorLoading("dir/notes.txt"), "'dir/notes.txt' is not supported file format");
    EXPECT_EQ(errorLoading("dir/scene.mot"), "'dir/scene.mot' is not supported file format");
    EXPECT_EQ(errorLoading("zo"), "'zo' is not supported file format");
    EXPECT_EQ(errorLoading(""), "'' is not supported file format");
}

TEST_F(LoadObjectFileTest, readsModelsOfOtherFormatsThroughTheImportModule) {
    // A quad: two triangles sharing a diagonal, so five edges.
    Bytes obj;
    obj.str("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n", false);
    const std::string path = write("quad.Obj", obj);
    ViewerDocument doc;
    LoadObjectFile(path, doc);
    EXPECT_EQ(doc.captionText, "quad.Obj 2 faces 4 vertices");
    EXPECT_EQ(doc.mesh.edgeCount, 5u);
    ViewerDocument summary;
    LoadObjectFile(path, summary, kzoview::LoadScope::summary);
    EXPECT_EQ(summary.captionText, doc.captionText);
    EXPECT_EQ(summary.mesh.edgeCount, 0u);

    const std::string missing = (dir / "missing.gltf").string();
    EXPECT_EQ(errorLoading(missing), "LoadModel: (" + missing + ") cannot open the file\n");
    obj = Bytes{};
    obj.str("v 0 0 0\nv 1 0 0\np 1\n", false);
    EXPECT_EQ(errorLoading(write("points.obj", obj)),
              "Object vertex count or face count is zero !!!");
}

TEST_F(LoadObjectFileTest, namesAFileThatCannotBeOpened) {
    const std::string missing = (dir / "missing").string();
    EXPECT_EQ(errorLoading(missing + ".kzo"), "LoadKZO: (" + missing + ".kzo) 를 열수 없습니다.\n");
    EXPECT_EQ(errorLoading(missing + ".lwo"), "LoadLWO: (" + missing + ".lwo) 를 열수 없습니다.\n");
    EXPECT_EQ(errorLoading(missing + ".3ds"), "Load3DS: (" + missing + ".3ds) 를 열수 없습니다.\n");
    std::filesystem::create_directory(dir / "folder.kzo");
    EXPECT_EQ(errorLoading((dir / "folder.kzo").string()),
              "'" + (dir / "folder.kzo").string() + "' is a directory");
    // A device is not read without end, a FIFO not waited on.
    const std::string zero = (dir / "zero.3ds").string();
    std::filesystem::create_symlink("/dev/zero", zero);
    EXPECT_EQ(errorLoading(zero), "Load3DS: (" + zero + ") is not a regular file\n");
    const std::string fifo = (dir / "fifo.lwo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(errorLoading(fifo), "LoadLWO: (" + fifo + ") is not a regular file\n");
    const std::string model = (dir / "fifo.obj").string();
    ASSERT_EQ(::mkfifo(model.c_str(), 0600), 0);
    EXPECT_EQ(errorLoading(model), "LoadModel: (" + model + ") not a regular file\n");
}

TEST_F(LoadObjectFileTest, aFailedLoadLeavesTheDocumentEmpty) {
    ViewerDocument doc;
    LoadObjectFile(write("good.kzo", triangleKzo()), doc);
    Bytes bad = triangleKzo();
    bad.data[0] = 17;
    EXPECT_THROW(LoadObjectFile(write("bad.kzo", bad), doc), kzoview::FatalError);
    EXPECT_EQ(doc.mesh.vertexCount, 0);
    EXPECT_EQ(doc.mesh.arena.bytesHeld, 0u);
    EXPECT_TRUE(doc.captionText.empty());
}
