#include "platform/dx/XFileText.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
const char* const CUBE_FILE =
    "xof 0303txt 0032\n"
    "// a comment\n"
    "template Unused { <3D82AB43-62DA-11cf-AB39-0020AF71E433> DWORD n; }\n"
    "Header { 1; 0; 1; }\n"
    "Material Red { 1.0;0.0;0.0;1.0;; 5.0; 0.1;0.2;0.3;; 0;0;0;; TextureFilename { \"red.bmp\"; } }\n"
    "Frame Outer {\n"
    "  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,7,1;; }\n"
    "  Frame Inner {\n"
    "    Mesh Quad {\n"
    "      4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n"
    "      1; 4;0,1,2,3;;\n"
    "      MeshMaterialList { 2; 1; 1;; {Red} Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } }\n"
    "      MeshNormals { 1; 0;0;-1;; 1; 4;0,0,0,0;; }\n"
    "      MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n"
    "      VertexDuplicationIndices { 4; 4; 0, 1, 2, 3; }\n"
    "    }\n"
    "  }\n"
    "  Unknown { \"a } brace in a string\"; { nested } }\n"
    "}\n"
    "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";
} // namespace

TEST(XFileTextTest, ReadsFramesMeshesAndMaterials)
{
    SXFrame root;
    std::string strError;
    ASSERT_TRUE(ParseXFileText(CUBE_FILE, root, strError)) << strError;
    ASSERT_EQ(2u, root.aChildren.size());
    ASSERT_TRUE(root.aChildren[0].pFrame);
    ASSERT_TRUE(root.aChildren[1].pMesh); // a top-level mesh, after the frame
    const SXFrame& outer = *root.aChildren[0].pFrame;
    EXPECT_EQ("Outer", outer.strName);
    EXPECT_FLOAT_EQ(6.0f, outer.afMatrix[13]);
    ASSERT_EQ(1u, outer.aChildren.size());
    const SXFrame& inner = *outer.aChildren[0].pFrame;
    ASSERT_EQ(1u, inner.aChildren.size());
    const SXMesh& quad = *inner.aChildren[0].pMesh;
    EXPECT_EQ("Quad", quad.strName);
    EXPECT_EQ(4u, quad.aVertices.size());
    ASSERT_EQ(1u, quad.aFaces.size());
    EXPECT_EQ(std::vector<unsigned>({0, 1, 2, 3}), quad.aFaces[0]);
    ASSERT_EQ(2u, quad.aMaterials.size());
    EXPECT_EQ("red.bmp", quad.aMaterials[0].strTexture); // by reference
    EXPECT_FLOAT_EQ(5.0f, quad.aMaterials[0].fPower);
    EXPECT_FLOAT_EQ(0.3f, quad.aMaterials[0].afSpecular[2]);
    EXPECT_FLOAT_EQ(1.0f, quad.aMaterials[1].afFace[1]); // inline
    EXPECT_EQ(std::vector<unsigned>({1}), quad.aFaceMaterials);
    EXPECT_TRUE(quad.bHasNormals);
    EXPECT_FLOAT_EQ(-1.0f, quad.aNormals[0][2]);
    ASSERT_EQ(4u, quad.aTexCoords.size());
    EXPECT_FLOAT_EQ(1.0f, quad.aTexCoords[2][1]);
}

TEST(XFileTextTest, OlderVersionAndWindowsLineEnds)
{
    SXFrame root;
    std::string strError;
    ASSERT_TRUE(ParseXFileText("xof 0302txt 0064\r\nMesh M {\r\n3;0;0;0;,1;0;0;,0;1;0;;\r\n1;3;0,1,2;;\r\n}\r\n", root,
                               strError))
        << strError;
    ASSERT_EQ(1u, root.aChildren.size());
    EXPECT_EQ(3u, root.aChildren[0].pMesh->aVertices.size());
}

TEST(XFileTextTest, BadFilesAreRefusedWithAReason)
{
    std::string strDeep = "xof 0303txt 0032\n";
    for (int i = 0; i < 40; ++i)
        strDeep += "Frame {";
    for (int i = 0; i < 40; ++i)
        strDeep += "}";
    struct SCase
    {
        const char* szName;
        std::string strText;
        const char* szReason;
    };
    const SCase aCases[] = {
        {"empty", "", "not an X file"},
        {"garbage", "hello, world, this is not it", "not an X file"},
        {"binary", "xof 0303bin 0032....", "binary or compressed"},
        {"compressed", "xof 0303tzip0032....", "binary or compressed"},
        {"version 0201", "xof 0201txt 0032", "version"},
        {"truncated mesh", "xof 0303txt 0032\nMesh { 1; 0;0;", "number expected"},
        {"count past a cut file", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;", "vertex count 3"},
        {"truncated object", "xof 0303txt 0032\nFrame F { Frame G {", "closing brace"},
        {"huge vertex count", "xof 0303txt 0032\nMesh { 4000000000; 0;0;0;; }", "more than the file holds"},
        {"huge face corners", "xof 0303txt 0032\nMesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 99999999;0,1,2;; }",
         "more than the file holds"},
        {"negative count", "xof 0303txt 0032\nMesh { -3; 0;0;0;; }", "whole number expected"},
        {"number not finite", "xof 0303txt 0032\nMesh { 1; nan;0;0;; 0;; }", "number expected"},
        {"unknown material reference",
         "xof 0303txt 0032\nMesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; {Nope} } }",
         "unknown material"},
        {"nesting too deep", strDeep, "nested deeper"},
        {"NUL byte", std::string("xof 0303txt 0032\nMesh {\0 }", 26), "NUL"},
        {"unclosed string", "xof 0303txt 0032\nMaterial M { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a.bmp",
         "closing quote"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SXFrame root;
        std::string strError;
        EXPECT_FALSE(ParseXFileText(c.strText, root, strError));
        EXPECT_NE(std::string::npos, strError.find(c.szReason)) << strError;
    }
}

TEST(XFileTextTest, EveryCutOfAGoodFileEndsCleanly)
{
    // Cutting the file anywhere must give an error (or, rarely, a shorter good file), never a crash.
    const std::string strFile = CUBE_FILE;
    for (std::size_t n = 0; n < strFile.size(); ++n)
    {
        SXFrame root;
        std::string strError;
        const bool bRead = ParseXFileText(std::string_view(strFile).substr(0, n), root, strError);
        EXPECT_TRUE(bRead || !strError.empty()) << n;
    }
}
