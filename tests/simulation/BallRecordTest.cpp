// The ball's records (148-byte saved state, 88-byte motion record), copies and the text dump.
#include "tests/simulation/SimTestSupport.h"

#include "simulation/Ball.h"

#include <array>
#include <cstring>

using CBallRecordTest = CSimulationTest;

namespace
{
/// A ball with a distinct value in every field the records carry.
void FillBall(CBall& ball)
{
    ball.SetPocketed(FALSE, FALSE, -1);
    ball.SetPositionXYZ(0.5f, 1.25f, 0.0f);
    ball.SetStopPosition(CVector3(0.25f, 1.0f, 0.0f));
    ball.SetVelocity(CVector3(0.75f, -1.5f, 0.125f));
    ball.SetOrientation(CVector3(0.0f, 0.6f, 0.8f), CVector3(1.0f, 0.0f, 0.0f));
    ball.SetForwardSpin(CVector3(10.0f, -20.0f, 2.0f));
    ball.SetSideSpinZ(12.5f);
    ball.SetRollMode(ROLL_MODE_SLIDING);
    ball.SetWritePos(TRUE);
}

void ExpectVec(const CVector3& a, const CVector3& b) { EXPECT_EQ(0.0, (a - b).Length()); }

float FloatAt(const std::array<BYTE, BALL_STATE_SIZE>& buf, std::size_t i)
{
    const std::uint32_t n = std::uint32_t(buf[i]) | std::uint32_t(buf[i + 1]) << 8 | std::uint32_t(buf[i + 2]) << 16 |
                            std::uint32_t(buf[i + 3]) << 24;
    float f = 0.0f;
    std::memcpy(&f, &n, sizeof f);
    return f;
}
} // namespace

TEST_F(CBallRecordTest, BallStateHasItsFieldsAtTheirOffsetsAndZerosWhereNothingIsDefined)
{
    CBall ball(5, 0.0f, 0.0f);
    FillBall(ball);
    std::array<BYTE, BALL_STATE_SIZE> buf;
    buf.fill(0xCD);
    DWORD nSize = 0;
    ASSERT_TRUE(ball.Serialize(buf, nSize));
    EXPECT_EQ(148u, nSize);
    EXPECT_EQ(148u, CBall::GetStateSize());
    EXPECT_EQ(5, buf[0]);
    EXPECT_EQ(0, buf[1] | buf[2] | buf[3]);
    for (std::size_t i = 4; i < 76; ++i)
        ASSERT_EQ(0, buf[i]) << "byte " << i;
    EXPECT_EQ(ball.GetForwardSpinAcceleration(), FloatAt(buf, 76));
    const float afExpected[] = {0.5f, 1.25f, 0.0f, 0.25f, 1.0f, 0.0f, 0.75f, -1.5f, 0.125f,
                                0.0f, 0.6f,  0.8f, 1.0f,  0.0f, 0.0f, 10.0f, -20.0f};
    for (std::size_t k = 0; k < std::size(afExpected); ++k)
        EXPECT_EQ(afExpected[k], FloatAt(buf, 80 + 4 * k)) << "float at " << 80 + 4 * k;
    // The first position float, 0.5f, little-endian.
    EXPECT_EQ(0x00, buf[80]);
    EXPECT_EQ(0x3F, buf[83]);
}

TEST_F(CBallRecordTest, BallStateRoundTripsAndLoadsAsARestingBallOnTheTable)
{
    CBall ball(5, 0.0f, 0.0f);
    FillBall(ball);
    std::array<BYTE, BALL_STATE_SIZE> buf{};
    DWORD nSize = 0;
    ASSERT_TRUE(ball.Serialize(buf, nSize));

    CBall loaded(9, 0.0f, 0.0f);
    loaded.SetWritePos(TRUE);
    ASSERT_TRUE(loaded.LoadState(buf, nSize));
    EXPECT_EQ(148u, nSize);
    EXPECT_EQ(5, loaded.GetIndex());
    EXPECT_EQ(ball.GetForwardSpinAcceleration(), loaded.GetForwardSpinAcceleration());
    ExpectVec(*ball.GetPosition(), *loaded.GetPosition());
    ExpectVec(ball.GetStopPosition(), loaded.GetStopPosition());
    ExpectVec(ball.GetVelocity(), loaded.GetVelocity());
    CVector3 a, b, c, d;
    ball.GetOrientation(a, b);
    loaded.GetOrientation(c, d);
    ExpectVec(a, c);
    ExpectVec(b, d);
    ExpectVec(CVector3(10.0f, -20.0f, 0.0f), loaded.GetForwardSpin());
    // Not carried: a resting ball on the table.
    EXPECT_FALSE(loaded.GetWritePos());
    EXPECT_FALSE(loaded.IsMoving());
    EXPECT_FALSE(loaded.IsPocketed());
    EXPECT_EQ(-1, loaded.GetPocket());
    EXPECT_EQ(ROLL_MODE_ROLLING, loaded.GetRollMode());
    EXPECT_EQ(0.0f, loaded.GetSideSpin().z);
}

TEST_F(CBallRecordTest, DamagedBallStatesAreRefusedAndChangeNothing)
{
    CBall ball(5, 0.0f, 0.0f);
    FillBall(ball);
    std::array<BYTE, BALL_STATE_SIZE> buf{};
    DWORD nSize = 99;
    EXPECT_FALSE(ball.Serialize(std::span<BYTE>(buf.data(), 147), nSize)) << "buffer too small";
    EXPECT_EQ(0u, nSize);
    ASSERT_TRUE(ball.Serialize(buf, nSize));

    CBall target(2, 0.1f, 0.2f);
    EXPECT_FALSE(target.LoadState(std::span<const BYTE>(buf.data(), 100), nSize)) << "short";
    buf[0] = 16;
    EXPECT_FALSE(target.LoadState(buf, nSize)) << "ball number out of range";
    buf[0] = 0xFF;
    buf[3] = 0xFF;
    EXPECT_FALSE(target.LoadState(buf, nSize)) << "negative ball number";
    EXPECT_EQ(2, target.GetIndex());
    EXPECT_FLOAT_EQ(0.1f, target.GetPosition()->x);
}

TEST_F(CBallRecordTest, MotionRecordRoundTripsItsFieldsAndFlags)
{
    CBall ball(7, 0.0f, 0.0f);
    FillBall(ball);
    std::array<BYTE, MOTION_RECORD_SIZE> rec;
    rec.fill(0xCD);
    ball.WriteMotionRecord(rec);
    for (const std::size_t i : {0u, 7u, 81u, 84u, 87u})
        EXPECT_EQ(0, rec[i]) << "byte " << i;
    EXPECT_EQ(7, rec[8]);
    EXPECT_EQ(ROLL_MODE_SLIDING, rec[80]);
    EXPECT_EQ(0, rec[82]) << "moving, on the table";

    CBall copy(1, 0.0f, 0.0f);
    ASSERT_TRUE(copy.ApplyMotionRecord(rec));
    EXPECT_EQ(7, copy.GetIndex());
    ExpectVec(*ball.GetPosition(), *copy.GetPosition());
    ExpectVec(ball.GetVelocity(), copy.GetVelocity());
    ExpectVec(ball.GetForwardSpin(), copy.GetForwardSpin());
    EXPECT_EQ(12.5f, copy.GetSideSpin().z);
    EXPECT_EQ(ROLL_MODE_SLIDING, copy.GetRollMode());
    EXPECT_TRUE(copy.IsMoving());
    EXPECT_FALSE(copy.IsPocketed());

    ball.SetPocketed(TRUE, FALSE, 3);
    ball.WriteMotionRecord(rec);
    EXPECT_EQ(3, rec[82]) << "at rest and pocketed";
    ASSERT_TRUE(copy.ApplyMotionRecord(rec));
    EXPECT_FALSE(copy.IsMoving());
    EXPECT_TRUE(copy.IsPocketed());
}

TEST_F(CBallRecordTest, MotionRecordWithAnImpossibleBallOrRollModeIsRefused)
{
    CBall ball(7, 0.0f, 0.0f);
    FillBall(ball);
    std::array<BYTE, MOTION_RECORD_SIZE> rec{};
    ball.WriteMotionRecord(rec);
    CBall copy(1, 0.3f, 0.4f);
    rec[80] = 5;
    EXPECT_FALSE(copy.ApplyMotionRecord(rec));
    rec[80] = 0;
    rec[8] = 16;
    EXPECT_FALSE(copy.ApplyMotionRecord(rec));
    EXPECT_EQ(1, copy.GetIndex());
    EXPECT_FLOAT_EQ(0.3f, copy.GetPosition()->x);
}

TEST_F(CBallRecordTest, CopiesTakeTheStateAndInterpolationBlendsPositionAndOrientation)
{
    CBall source(4, 0.0f, 0.0f);
    FillBall(source);
    source.RecordPoint(TRACK_POINT_CUSHION);
    CBall copy(1, 0.0f, 0.0f);
    copy.CopyFrom(source);
    EXPECT_EQ(4, copy.GetIndex());
    ASSERT_EQ(1u, copy.GetTrackPoints().size());
    EXPECT_EQ(TRACK_POINT_CUSHION, copy.GetTrackKinds()[0]);

    CBall motion(2, 0.0f, 0.0f);
    motion.CopyMotionFrom(source);
    EXPECT_EQ(4, motion.GetIndex());
    ExpectVec(*source.GetPosition(), motion.GetStopPosition());
    EXPECT_TRUE(motion.GetTrackPoints().empty());
    EXPECT_EQ(12.5f, motion.GetSideSpin().z);

    CBall from(4, 0.0f, 0.0f);
    from.SetPositionXYZ(0.0f, 1.0f, 0.0f);
    from.SetOrientation(CVector3(0.0f, 0.0f, 1.0f), CVector3(0.0f, 1.0f, 0.0f));
    CBall to(4, 0.0f, 0.0f);
    to.SetPositionXYZ(1.0f, 1.0f, 0.0f);
    to.SetOrientation(CVector3(0.0f, 1.0f, 0.0f), CVector3(0.0f, 1.0f, 0.0f));
    from.InterpolateTo(to, 0.25f);
    EXPECT_FLOAT_EQ(0.25f, from.GetPosition()->x);
    CVector3 vOrY, vOrZ;
    from.GetOrientation(vOrY, vOrZ);
    EXPECT_NEAR(1.0, vOrY.Length(), 1e-6);
    EXPECT_NEAR(std::atan2(0.25, 0.75), AngleBetween(vOrY, CVector3(0.0f, 0.0f, 1.0f)), 1e-6);
}

TEST_F(CBallRecordTest, DumpWritesSevenLinesInTheFixedFormats)
{
    CBall ball(3, 0.5f, 1.0f);
    CStringArray lines;
    ball.Dump(lines);
    ASSERT_EQ(7, lines.GetSize());
    EXPECT_EQ(CString("Ball 3(type-0) : "), lines[0]);
    EXPECT_EQ(CString(" mass-0.16301000, radius-0.02844800, accelRollDeceler-0.15000001, FrictSlideForce-0.05000000 "),
              lines[1]);
    EXPECT_EQ(0, lines[3].Find(" pos(0.50000000, 1.00000000, 0.00000000), stop pos(0.50000000,"));
    EXPECT_EQ(
        CString(" moved-0, pocketed-1, collide bord-0, write: pos-0, net-0, collisions: ball--1, obj-0, pocket--1"),
        lines[6]);
}
