// Decoding a large visit-list reply into records, side by side with Node's
// JSON.parse on the same bytes. Prints both times and, last, "ratio ours/node".
//
//   decode_bench [--rows N] [--runs R] [--node PATH]

#include "backend/HeapTuning.h"
#include "model/AtendimentoExterno.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace varnel;

namespace {

const char *const kWords[] = {
    "animais",   "vacinação", "rebanho",    "pastagem",     "ordenha", "bezerros",   "nutrição",    "suplementação",
    "manejo",    "sanitário", "avaliação",  "produção",     "leite",   "reprodução", "inseminação", "prenhez",
    "curral",    "água",      "cocho",      "silagem",      "ração",   "mineral",    "vermífugo",   "aftosa",
    "brucelose", "técnico",   "orientação", "proprietário", "fazenda", "época",      "chuvas",      "seca"};

QByteArray uuid(QRandomGenerator &rng) {
  QByteArray bytes(16, Qt::Uninitialized);
  for (int i = 0; i < 16; ++i)
    bytes[i] = static_cast<char>(rng.bounded(256));
  bytes[6] = static_cast<char>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<char>((bytes[8] & 0x3F) | 0x80);
  return QUuid::fromRfc4122(bytes).toByteArray(QUuid::WithoutBraces);
}

QByteArray timestamp(QRandomGenerator &rng, qint64 baseSecs) {
  const qint64 secs = baseSecs - rng.bounded(2 * 365 * 86400);
  const QDateTime t = QDateTime::fromSecsSinceEpoch(secs, Qt::UTC);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s.%06d+00:00",
                t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1().constData(),
                static_cast<int>(rng.bounded(1000000)));
  return buf;
}

QByteArray sentence(QRandomGenerator &rng, int minChars) {
  QByteArray out;
  while (out.size() < minChars) {
    if (!out.isEmpty())
      out += ' ';
    out += kWords[rng.bounded(static_cast<int>(std::size(kWords)))];
    if (rng.bounded(12) == 0)
      out += ".";
  }
  out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
  return out + ".";
}

QByteArray location(QRandomGenerator &rng) {
  const double lon = -46.0 - rng.generateDouble() * 8, lat = -20.0 - rng.generateDouble() * 6;
  char buf[128];
  switch (rng.bounded(4)) {
  case 0:
    std::snprintf(buf, sizeof buf, R"({"type":"Point","coordinates":[%.6f,%.6f]})", lon, lat);
    break;
  case 1:
    std::snprintf(buf, sizeof buf, "\"POINT(%.6f %.6f)\"", lon, lat);
    break;
  case 2:
    std::snprintf(buf, sizeof buf, R"("0101000020E6100000%016llX%016llX")", 0x4047000000000000ULL,
                  0xC037000000000000ULL);
    break;
  default:
    return "null";
  }
  return buf;
}

QByteArray generate(int rows) {
  QRandomGenerator rng(20251211);
  const qint64 now = QDateTime(QDate(2026, 12, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
  std::vector<QByteArray> responsaveis, clientes, catalog;
  for (int i = 0; i < 12; ++i)
    responsaveis.push_back(uuid(rng));
  for (int i = 0; i < 400; ++i)
    clientes.push_back(uuid(rng));
  for (int i = 0; i < 10; ++i)
    catalog.push_back(uuid(rng));

  QByteArray out;
  out.reserve(static_cast<qsizetype>(rows) * 1100);
  out += '[';
  for (int i = 0; i < rows; ++i) {
    if (i)
      out += ',';
    const QByteArray visit = timestamp(rng, now);
    const bool finished = rng.bounded(3) != 0;
    out += R"({"id":")" + uuid(rng) + R"(","cliente_id":")" + clientes[rng.bounded(400)] + R"(","responsavel_id":")" +
           responsaveis[rng.bounded(12)] + R"(","data_visita":")" + visit + '"';
    if (finished) {
      out += R"(,"data_relatorio":")" + visit + '"';
      out += R"(,"datahorafinalizandoatendimento":")" + timestamp(rng, now) + '"';
    } else {
      out += R"(,"data_relatorio":null)";
    }
    out += R"(,"objetivo_id":")" + catalog[rng.bounded(10)] + '"';
    if (rng.bounded(5) == 0)
      out += R"(,"objetivo_outros":")" + sentence(rng, 30) + '"';
    out += R"(,"classificacao_id":")" + catalog[rng.bounded(10)] + '"';
    out += R"(,"relatorio":")" + sentence(rng, 200 + rng.bounded(300)) + '"';
    out += R"(,"participantes":"João da Silva, Maria Conceição, Antônio Pereira")";
    out += R"(,"localizacao":)" + location(rng);
    if (finished)
      out += R"(,"geofinalizado":)" + location(rng);
    const int images = rng.bounded(5);
    for (int k = 1; k <= 4; ++k) {
      if (k <= images)
        out += ",\"imagem_" + QByteArray::number(k) + "_path\":\"atendimentos/" + QByteArray::number(i) + "/foto" +
               QByteArray::number(k) + ".jpg\"";
      else
        out += ",\"imagem_" + QByteArray::number(k) + "_path\":null";
    }
    if (images)
      out += R"(,"imagens_observacoes":")" + sentence(rng, 60) + '"';
    out += R"(,"created_at":")" + visit + R"(","updated_at":")" + timestamp(rng, now) + R"(","deleted_at":null})";
  }
  out += ']';
  return out;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  // The same heap settings as the program itself.
  tuneHeapForLargeReplies();
  int rows = 100000, runs = 5;
  QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == QLatin1String("--rows"))
      rows = args[++i].toInt();
    else if (args[i] == QLatin1String("--runs"))
      runs = std::max(1, args[++i].toInt());
    else if (args[i] == QLatin1String("--node"))
      node = args[++i];
  }

  QByteArray body = generate(rows);
  std::printf("rows %d, %.1f MB of JSON\n", rows, body.size() / 1e6);

  std::vector<double> ours;
  qsizetype decoded = 0;
  for (int r = 0; r < runs; ++r) {
    QElapsedTimer timer;
    timer.start();
    const QList<AtendimentoExterno> visits = wire::decodeList<AtendimentoExterno>(body);
    ours.push_back(timer.nsecsElapsed() / 1e6);
    decoded = visits.size();
  }
  if (decoded != rows) {
    std::fprintf(stderr, "decoded %lld rows, expected %d\n", static_cast<long long>(decoded), rows);
    return 1;
  }
  const double oursMs = median(ours);
  std::printf("ours: first run %.1f ms, %.1f ms (median of %d)\n", ours.front(), oursMs, runs);

  if (node.isEmpty()) {
    std::fprintf(stderr, "node not found: no comparison\n");
    return 1;
  }
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("visits.json"));
  {
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(body) != body.size()) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  const QString script =
      QStringLiteral(
          "const fs=require('fs');const s=fs.readFileSync(process.argv[1],'utf8');const t=[];"
          "for(let i=0;i<%1;i++){const a=process.hrtime.bigint();const v=JSON.parse(s);"
          "const b=process.hrtime.bigint();if(v.length!==%2)process.exit(2);t.push(Number(b-a)/1e6);}"
          "const first=t[0];t.sort((x,y)=>x-y);console.log(first.toFixed(1)+' '+t[Math.floor(t.length/2)].toFixed(1));")
          .arg(runs)
          .arg(rows);
  QProcess process;
  process.start(node, {QStringLiteral("-e"), script, file});
  if (!process.waitForFinished(600000) || process.exitCode() != 0) {
    std::fprintf(stderr, "node failed: %s\n", process.readAllStandardError().constData());
    return 1;
  }
  const QList<QByteArray> nodeTimes = process.readAllStandardOutput().trimmed().split(' ');
  if (nodeTimes.size() != 2) {
    std::fprintf(stderr, "unexpected output from node\n");
    return 1;
  }
  const double nodeMs = nodeTimes[1].toDouble();
  std::printf("node JSON.parse: first run %.1f ms, %.1f ms (median of %d)\n", nodeTimes[0].toDouble(), nodeMs, runs);
  std::printf("ratio %.3f\n", oursMs / nodeMs);
  return 0;
}
