#include <QAction>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QRadioButton>
#include <QXmlStreamReader>
#include <cstring>

#include "ui/Controls.h"
#include "ui/Session.h"
#include "ui/main/MainFormFixture.h"
#include "ui/widgets/PainterCanvas.h"

namespace vorun {
namespace {

using test::WriteText;

// The sample ensemble on show: three taons, slots 1 and 2 lime, 31 yellow.
class Picture : public test::MainFormTest {
 protected:
  void PrepareFiles() override {
    test::WriteSampleEnsemble(Path("ring.tvx"));
    WriteText(StartFilePath, Path("ring.tvx"));
  }
  QString Export(const std::string& name) {
    const QString path = QString::fromStdString(Path(name));
    dialogs.saveAnswers.push_back(path);
    Action("ExportPicture")->trigger();
    return path;
  }
  QSize SceneSize() const { return {form->width(), FindControl<QFrame>(form, "Pan")->y()}; }
};

int CountNonBlack(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) != 0;
  return count;
}

TEST_F(Picture, PngHoldsTheSceneAsDrawn) {
  const QImage png(Export("scene.png"));
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.size(), SceneSize());
  // Three 2 x 2 dots, nothing of the panel below the scene.
  EXPECT_EQ(CountNonBlack(png), 12);
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32),
            form->ScenePicture().convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(png.pixel(View.ScreenX[31], View.ScreenY[31]) & 0xFFFFFF, 0xFFFF00u);
  EXPECT_TRUE(dialogs.messages.empty());
}

// Well-formed XML with an svg root of the scene's size, and the three taons'
// colours drawn in it.
TEST_F(Picture, SvgIsWellFormedAndHoldsTheTaons) {
  QFile file(Export("scene.svg"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray svg = file.readAll();
  QXmlStreamReader xml(svg);
  QString root;
  QSize size;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && root.isEmpty()) {
      root = xml.name().toString();
      size = {xml.attributes().value("width").toString().remove("mm").toInt(),
              xml.attributes().value("height").toString().remove("mm").toInt()};
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(root, "svg");
  EXPECT_TRUE(svg.contains("viewBox=\"0 0 " + QByteArray::number(SceneSize().width()) + " " +
                           QByteArray::number(SceneSize().height()) + "\""));
  EXPECT_TRUE(svg.contains("#00ff00"));
  EXPECT_TRUE(svg.contains("#ffff00"));
  EXPECT_TRUE(dialogs.messages.empty());
}

// Each taon is one vector shape, its 2 x 2 square, centred where the window
// draws it and filled in its colour; nothing else is drawn over the black
// background.
TEST_F(Picture, SvgDrawsEachTaonAsOneShape) {
  QFile file(Export("scene.svg"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  struct Shape {
    QString kind, fill;
    QRectF box;
  };
  std::vector<Shape> shapes;
  std::vector<QString> fills{""};  // the fill each open element passes on
  while (!xml.atEnd()) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::EndElement) fills.pop_back();
    if (token != QXmlStreamReader::StartElement) continue;
    const QXmlStreamAttributes a = xml.attributes();
    fills.push_back(a.hasAttribute("fill") ? a.value("fill").toString() : fills.back());
    const QString kind = xml.name().toString();
    const auto number = [&](const char* name) { return a.value(name).toDouble(); };
    if (kind == "rect") {
      shapes.push_back(
          {kind, fills.back(), QRectF(number("x"), number("y"), number("width"), number("height"))});
    } else if (kind == "circle") {
      const double r = number("r");
      shapes.push_back({kind, fills.back(), QRectF(number("cx") - r, number("cy") - r, 2 * r, 2 * r)});
    } else if (kind == "path" || kind == "polygon" || kind == "polyline" || kind == "line" ||
               kind == "ellipse" || kind == "image" || kind == "text") {
      shapes.push_back({kind, fills.back(), QRectF()});
    }
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  ASSERT_FALSE(shapes.empty());
  // The background first, then one shape a taon, in slot order.
  EXPECT_EQ(shapes[0].box, QRectF(QPointF(0, 0), QSizeF(SceneSize())));
  EXPECT_EQ(shapes[0].fill, "#000000");
  const struct {
    int slot;
    const char* fill;
  } taons[] = {{1, "#00ff00"}, {2, "#00ff00"}, {31, "#ffff00"}};
  ASSERT_EQ(shapes.size(), 1 + std::size(taons));
  for (std::size_t i = 0; i < std::size(taons); ++i) {
    const Shape& shape = shapes[i + 1];
    const int n = taons[i].slot;
    EXPECT_EQ(shape.fill, taons[i].fill) << n;
    EXPECT_EQ(shape.box.size(), QSizeF(2, 2)) << n << " " << shape.kind.toStdString();
    EXPECT_EQ(shape.box.center(), QPointF(View.ScreenX[n] + 1, View.ScreenY[n] + 1)) << n;
  }
}

// The vector canvas paints the pixels the window's own canvas paints: the
// same renderers on a QPainter give the same image, numbers included.
TEST_F(Picture, PainterCanvasDrawsWhatTheWindowShows) {
  Action("ShowNumbersOfPoints")->trigger();
  QImage painted(SceneSize(), QImage::Format_RGB32);
  painted.fill(Qt::white);
  {
    QPainter painter(&painted);
    PainterCanvas canvas(painter);
    const Scene shown = form->MakeScene();
    DrawTaons(Scene{canvas, shown.width, shown.panTop, shown.scope, shown.split, shown.ensemble, shown.view,
                    shown.spiralMode, shown.showNumbers});
  }
  EXPECT_EQ(painted, form->ScenePicture().convertToFormat(QImage::Format_RGB32));
  EXPECT_GT(CountNonBlack(painted), 12);
}

// Exporting the spinning spiral draws it as it stands, without turning it.
TEST_F(Picture, ExportChangesNothing) {
  Action("Spiral1")->trigger();
  View.Teta = 0.1L;
  const Extended80 x = Ensemble.ViewX[5], zoom = View.Zoom;
  Export("spiral.svg");
  Export("spiral.png");
  EXPECT_EQ(std::memcmp(&x, &Ensemble.ViewX[5], 10), 0);
  EXPECT_EQ(View.Teta, 0.1L);
  EXPECT_EQ(View.Zoom, zoom);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Picture, OtherPictureTypesAreReported) {
  Export("scene.jpg");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].text.contains(".png or .svg"));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("scene.jpg"))));
}

// Taons far outside the picture: F9 brings every one of them into the scene.
TEST_F(Picture, FitToViewBringsEveryTaonIntoTheScene) {
  View.PanX = 4000;
  View.Zoom = 3000;
  form->PaintTaons();
  EXPECT_EQ(CountNonBlack(form->ScenePicture()), 0);
  QTest::keyClick(form.get(), Qt::Key_F9);
  for (int n : {1, 2, 31}) {
    EXPECT_GE(View.ScreenX[n], 0) << n;
    EXPECT_LT(View.ScreenX[n] + 1, form->width()) << n;
    EXPECT_GE(View.ScreenY[n], 0) << n;
    EXPECT_LT(View.ScreenY[n] + 1, FindControl<QFrame>(form, "Pan")->y()) << n;
  }
  EXPECT_EQ(CountNonBlack(form->ScenePicture()), 12);
}

}  // namespace
}  // namespace vorun
