#include "platform/dx/XFileText.h"

#include "tests/platform/dx/XFileBinaryWriter.h"

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

namespace
{
/// The frames and meshes of a parsed file, as a text that tells them apart.
void Describe(const SXFrame& frame, std::string& out)
{
    out += "frame " + frame.strName + " " + std::to_string(frame.afMatrix[12]) + "{";
    for (const SXChild& child : frame.aChildren)
    {
        if (child.pFrame)
            Describe(*child.pFrame, out);
        if (const SXMesh* m = child.pMesh.get())
        {
            out += "mesh " + m->strName + " v" + std::to_string(m->aVertices.size()) + " f" +
                   std::to_string(m->aFaces.size()) + " m" + std::to_string(m->aMaterials.size());
            for (const auto& v : m->aVertices)
                out += " " + std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]);
            for (const SXMaterial& mat : m->aMaterials)
                out += " " + mat.strTexture + ":" + std::to_string(mat.afFace[0]) + ":" + std::to_string(mat.fPower);
            for (const auto& n : m->aNormals)
                out += " n" + std::to_string(n[2]);
            for (const auto& uv : m->aTexCoords)
                out += " t" + std::to_string(uv[0]) + "," + std::to_string(uv[1]);
        }
    }
    out += "}";
}
} // namespace

TEST(XFileTextTest, TheBinaryFormReadsAsItsTextWithEitherFloatSize)
{
    SXFrame text;
    std::string strError;
    ASSERT_TRUE(ParseXFile(CUBE_FILE, text, strError)) << strError;
    std::string strText;
    Describe(text, strText);
    for (const bool b64 : {false, true})
    {
        SCOPED_TRACE(b64);
        SXFrame binary;
        ASSERT_TRUE(ParseXFile(xbin::FromText(CUBE_FILE, b64), binary, strError)) << strError;
        std::string strBinary;
        Describe(binary, strBinary);
        EXPECT_EQ(strText, strBinary);
    }
}

TEST(XFileTextTest, BadBinaryFilesAreRefusedWithAReason)
{
    const std::string strMesh =
        xbin::FromText("xof 0303txt 0032\nMesh M { 3; 0.5;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n");
    const auto token = [](std::uint16_t n, std::uint32_t nCount, const std::string& strBytes)
    {
        std::string s;
        xbin::Word(s, n);
        xbin::Dword(s, nCount);
        return s + strBytes;
    };
    std::string strNan = "xof 0303bin 0032";
    xbin::Word(strNan, 1);
    xbin::Bytes(strNan, "Mesh");
    xbin::Word(strNan, 10);
    strNan +=
        token(6, 1, std::string("\1\0\0\0", 4)) + token(7, 3, std::string("\0\0\xC0\x7F", 4) + std::string(8, '\0'));
    struct SCase
    {
        const char* szName;
        std::string strFile;
        const char* szReason;
    };
    const SCase aCases[] = {
        {"compressed", "xof 0303bzip0032....", "binary or compressed"},
        {"version 0201", "xof 0201bin 0032", "version"},
        {"odd float size", "xof 0303bin 0016", "floats of"},
        {"cut inside a token", strMesh.substr(0, 17), "ends inside a token"},
        {"cut inside a list", strMesh.substr(0, strMesh.size() - 30), "more than the file holds"},
        {"a name past the end", "xof 0303bin 0032" + token(1, 4000000000u, "Mesh"), "more than the file holds"},
        {"a float list past the end", "xof 0303bin 0032" + token(7, 1000, std::string(8, '\0')),
         "more than the file holds"},
        {"a name with a brace", "xof 0303bin 0032" + token(1, 3, "M{x"), "cannot hold"},
        {"a string with a quote", "xof 0303bin 0032" + token(2, 3, "a\"b") + std::string("\x14\0", 2), "cannot hold"},
        {"a string without its separator", "xof 0303bin 0032" + token(2, 1, "a") + std::string("\x0A\0", 2),
         "separator"},
        {"an unknown token", "xof 0303bin 0032" + std::string("\x63\0", 2), "unknown token 99"},
        {"a number not finite", strNan, "number expected"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SXFrame root;
        std::string strError;
        EXPECT_FALSE(ParseXFile(c.strFile, root, strError));
        EXPECT_NE(std::string::npos, strError.find(c.szReason)) << strError;
    }
}

TEST(XFileTextTest, EveryCutOfAGoodBinaryFileEndsCleanly)
{
    const std::string strFile = xbin::FromText(CUBE_FILE);
    for (std::size_t n = 0; n < strFile.size(); ++n)
    {
        SXFrame root;
        std::string strError;
        const bool bRead = ParseXFile(std::string_view(strFile).substr(0, n), root, strError);
        EXPECT_TRUE(bRead || !strError.empty()) << n;
    }
}
