// ifcgen: writes an IFC4 steel model of N elements with geometry to standard
// output, for measuring the IFC reader (bench/compare_webifc.sh).
//
//   ifcgen ELEMENTS [SEED]
//
// Elements come in assemblies of eight: a column or beam with six plates and a
// bolt group. Each has a property set of eight properties, an element quantity
// set of four quantities, a material (profile or layer set usage, or a plain
// material) and a body: half are extrusions cut by a boolean result, half are
// faceted boundary representations of their section (points, loops and faces,
// as CAD programs export them). About 4 kB of text per element.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

const char* const kProfiles[] = {"HEA200", "HEA240", "HEB300", "IPE240", "IPE300", "IPE400"};
const char* const kGrades[] = {"S235JR", "S355J2", "S460M"};
const char* const kBolts[] = {"M16x50", "M20x60", "M24x80"};

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  void run(long long elements) {
    header();
    for (long long done = 0; done < elements; done += 8) assembly(done / 8);
    std::printf("ENDSEC;\nEND-ISO-10303-21;\n");
  }

 private:
  long long next() { return ++id_; }

  std::string guid() {
    static const char kChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$";
    std::string text(22, '0');
    for (char& c : text) c = kChars[random_() % 64];
    text[0] = kChars[random_() % 4];
    return text;
  }

  void header() {
    std::printf(
        "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('ViewDefinition [ReferenceView]'),'2;1');\n"
        "FILE_NAME('generated.ifc','2024-01-01T00:00:00',(''),(''),'ifcgen','ifcgen','');\n"
        "FILE_SCHEMA(('IFC4'));\nENDSEC;\nDATA;\n"
        "#1=IFCCARTESIANPOINT((0.,0.,0.));\n#2=IFCAXIS2PLACEMENT3D(#1,$,$);\n"
        "#3=IFCGEOMETRICREPRESENTATIONCONTEXT($,'Model',3,1.E-05,#2,$);\n"
        "#4=IFCLOCALPLACEMENT($,#2);\n#5=IFCDIRECTION((0.,0.,1.));\n"
        "#6=IFCSIUNIT(*,.LENGTHUNIT.,.MILLI.,.METRE.);\n#7=IFCSIUNIT(*,.MASSUNIT.,.KILO.,.GRAM.);\n"
        "#8=IFCSIUNIT(*,.AREAUNIT.,$,.SQUARE_METRE.);\n#9=IFCUNITASSIGNMENT((#6,#7,#8));\n"
        "#10=IFCPROJECT('%s',$,'Generated',$,$,$,$,(#3),#9);\n",
        guid().c_str());
    id_ = 10;
    for (int k = 0; k < 3; ++k) {
      grades_[k] = next();
      std::printf("#%lld=IFCMATERIAL('%s',$,$);\n", grades_[k], kGrades[k]);
    }
    for (int k = 0; k < 6; ++k) {
      const long long profile = next();
      std::printf("#%lld=IFCISHAPEPROFILEDEF(.AREA.,'%s',$,200.,%s.,8.,12.,$,$,$);\n", profile,
                  kProfiles[k], kProfiles[k] + 3);
      const long long mp = next(), set = next();
      profiles_[k] = profile;
      std::printf("#%lld=IFCMATERIALPROFILE($,$,#%lld,#%lld,$,$);\n", mp, grades_[k % 3], profile);
      std::printf("#%lld=IFCMATERIALPROFILESET($,$,(#%lld),$);\n", set, mp);
      usages_[k] = next();
      std::printf("#%lld=IFCMATERIALPROFILESETUSAGE(#%lld,$,$);\n", usages_[k], set);
    }
  }

  // Points, loops and faces of a prism over an I-section: what an exported
  // boundary representation looks like.
  long long brep(double length) {
    const double xs[12] = {-100, 100, 100, 4, 4, 100, 100, -100, -100, -4, -4, -100};
    const double ys[12] = {-150, -150, -138, -138, 138, 138, 150, 150, 138, 138, -138, -138};
    long long points[24];
    for (int k = 0; k < 24; ++k) {
      points[k] = next();
      std::printf("#%lld=IFCCARTESIANPOINT((%.1f,%.1f,%.1f));\n", points[k], xs[k % 12], ys[k % 12],
                  k < 12 ? 0.0 : length);
    }
    std::string faces;
    for (int k = 0; k < 12; ++k) {
      const long long loop = next(), bound = next(), face = next();
      std::printf("#%lld=IFCPOLYLOOP((#%lld,#%lld,#%lld,#%lld));\n", loop, points[k],
                  points[(k + 1) % 12], points[12 + (k + 1) % 12], points[12 + k]);
      std::printf("#%lld=IFCFACEOUTERBOUND(#%lld,.T.);\n#%lld=IFCFACE((#%lld));\n", bound, loop,
                  face, bound);
      faces += (faces.empty() ? "#" : ",#") + std::to_string(face);
    }
    for (int cap = 0; cap < 2; ++cap) {  // the two ends
      std::string loop;
      for (int k = 0; k < 12; ++k) loop += (k ? ",#" : "#") + std::to_string(points[cap * 12 + k]);
      const long long l = next(), bound = next(), face = next();
      std::printf("#%lld=IFCPOLYLOOP((%s));\n#%lld=IFCFACEOUTERBOUND(#%lld,.T.);\n", l,
                  loop.c_str(), bound, l);
      std::printf("#%lld=IFCFACE((#%lld));\n", face, bound);
      faces += ",#" + std::to_string(face);
    }
    const long long shell = next(), solid = next();
    std::printf("#%lld=IFCCLOSEDSHELL((%s));\n#%lld=IFCFACETEDBREP(#%lld);\n", shell, faces.c_str(),
                solid, shell);
    return solid;
  }

  long long extrusion(long long profile, double depth) {
    const long long solid = next(), plane = next(), half = next(), cut = next();
    std::printf("#%lld=IFCEXTRUDEDAREASOLID(#%lld,#2,#5,%.1f);\n", solid, profile, depth);
    std::printf("#%lld=IFCPLANE(#2);\n#%lld=IFCHALFSPACESOLID(#%lld,.F.);\n", plane, half, plane);
    std::printf("#%lld=IFCBOOLEANCLIPPINGRESULT(.DIFFERENCE.,#%lld,#%lld);\n", cut, solid, half);
    return cut;
  }

  long long shape(long long item) {
    const long long rep = next(), shape = next();
    std::printf("#%lld=IFCSHAPEREPRESENTATION(#3,'Body','%s',(#%lld));\n", rep,
                brepNext_ ? "Brep" : "Clipping", item);
    std::printf("#%lld=IFCPRODUCTDEFINITIONSHAPE($,$,(#%lld));\n", shape, rep);
    return shape;
  }

  void properties(long long element, const std::string& mark, int quantity, double length,
                  double weight) {
    const char* const names[] = {"Phase", "Coating", "Grid", "Fire rating", "Finish", "Lot"};
    std::string props;
    long long first = next();
    std::printf("#%lld=IFCPROPERTYSINGLEVALUE('PartMark',$,IFCIDENTIFIER('%s'),$);\n", first,
                mark.c_str());
    props = "#" + std::to_string(first);
    for (const char* name : names) {
      const long long p = next();
      std::printf("#%lld=IFCPROPERTYSINGLEVALUE('%s',$,IFCLABEL('%s %u'),$);\n", p, name, name,
                  static_cast<unsigned>(random_() % 20));
      props += ",#" + std::to_string(p);
    }
    const long long set = next(), rel = next();
    std::printf("#%lld=IFCPROPERTYSET('%s',$,'Fabrication',$,(%s));\n", set, guid().c_str(),
                props.c_str());
    std::printf("#%lld=IFCRELDEFINESBYPROPERTIES('%s',$,$,$,(#%lld),#%lld);\n", rel, guid().c_str(),
                element, set);
    const long long q1 = next(), q2 = next(), q3 = next(), q4 = next(), qset = next(),
                    qrel = next();
    std::printf("#%lld=IFCQUANTITYLENGTH('Length',$,$,%.1f,$);\n", q1, length);
    std::printf("#%lld=IFCQUANTITYWEIGHT('NetWeight',$,$,%.3f,$);\n", q2, weight);
    std::printf("#%lld=IFCQUANTITYAREA('OuterSurfaceArea',$,$,%.3f,$);\n", q3, length * 0.0012);
    std::printf("#%lld=IFCQUANTITYCOUNT('Count',$,$,%d.,$);\n", q4, quantity);
    std::printf(
        "#%lld=IFCELEMENTQUANTITY('%s',$,'Qto_BaseQuantities',$,$,(#%lld,#%lld,#%lld,#%lld));\n",
        qset, guid().c_str(), q1, q2, q3, q4);
    std::printf("#%lld=IFCRELDEFINESBYPROPERTIES('%s',$,$,$,(#%lld),#%lld);\n", qrel,
                guid().c_str(), element, qset);
  }

  long long element(const char* entity, long long body, const std::string& mark, long long material,
                    int quantity, double length, double weight, const char* extra) {
    const long long point = next(), axes = next(), placement = next(), e = next();
    std::printf("#%lld=IFCCARTESIANPOINT((%.1f,%.1f,%.1f));\n", point,
                static_cast<double>(random_() % 60000), static_cast<double>(random_() % 40000),
                static_cast<double>(random_() % 12000));
    std::printf("#%lld=IFCAXIS2PLACEMENT3D(#%lld,#5,$);\n#%lld=IFCLOCALPLACEMENT(#4,#%lld);\n",
                axes, point, placement, axes);
    std::printf("#%lld=%s('%s',$,'%s',$,$,#%lld,%s,'E%lld'%s);\n", e, entity, guid().c_str(),
                mark.c_str(), placement, body > 0 ? ("#" + std::to_string(body)).c_str() : "$", e,
                extra);
    properties(e, mark, quantity, length, weight);
    const long long rel = next();
    std::printf("#%lld=IFCRELASSOCIATESMATERIAL('%s',$,$,$,(#%lld),#%lld);\n", rel, guid().c_str(),
                e, material);
    return e;
  }

  void assembly(long long n) {
    std::string parts;
    const int p = static_cast<int>(random_() % 6);
    const double length = 3000.0 + static_cast<double>(random_() % 9000);
    brepNext_ = n % 2 == 1;
    const long long body = shape(brepNext_ ? brep(length) : extrusion(profiles_[p], length));
    const char* main = n % 3 == 0 ? "IFCCOLUMN" : "IFCBEAM";
    parts += "#" + std::to_string(element(main, body, "P" + std::to_string(p + 1), usages_[p], 1,
                                          length, length * 0.06, ",$"));
    for (int k = 0; k < 6; ++k) {
      const int thick = 10 + 5 * static_cast<int>(random_() % 4);
      const long long rect = next();
      std::printf("#%lld=IFCRECTANGLEPROFILEDEF(.AREA.,'PL%d*200',$,300.,200.,$);\n", rect, thick);
      const long long plate = shape(brepNext_ ? brep(thick) : extrusion(rect, thick));
      parts += ",#" + std::to_string(element("IFCPLATE", plate, "P" + std::to_string(100 + thick),
                                             grades_[0], 1, 300.0, thick * 0.471, ",$"));
    }
    const int bolt = static_cast<int>(random_() % 3);
    parts +=
        ",#" + std::to_string(element("IFCMECHANICALFASTENER", 0, std::string("B") + kBolts[bolt],
                                      grades_[1], 8, 60.0, 2.4, ",20.,60.,$"));
    const long long a = next(), rel = next();
    std::printf("#%lld=IFCELEMENTASSEMBLY('%s',$,'FRAME',$,$,#4,$,'A%lld',.FACTORY.,$);\n", a,
                guid().c_str(), n % 500);
    std::printf("#%lld=IFCRELAGGREGATES('%s',$,$,$,#%lld,(%s));\n", rel, guid().c_str(), a,
                parts.c_str());
  }

  std::mt19937 random_;
  long long id_ = 0;
  long long grades_[3] = {};
  long long profiles_[6] = {};
  long long usages_[6] = {};
  bool brepNext_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ifcgen ELEMENTS [SEED] > model.ifc\n");
    return 2;
  }
  Generator generator(argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 1u);
  generator.run(std::atoll(argv[1]));
  return 0;
}
