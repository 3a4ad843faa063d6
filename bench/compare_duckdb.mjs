// The comparison job in DuckDB: the same parts CSV in, the details lines
// (repeats dropped, sorted by assembly and position) and the sums per
// position, per assembly and in total out, as CSV files in WORK_DIR.
//
//   node compare_duckdb.mjs PARTS_CSV WORK_DIR
//
// Prints "SECONDS DETAILS_LINES" on one line.
import { DuckDBInstance } from '@duckdb/node-api';

const [parts, work] = process.argv.slice(2);
const start = process.hrtime.bigint();
const instance = await DuckDBInstance.create(':memory:', { threads: '2' });
const db = await instance.connect();
await db.run(`CREATE TABLE parts AS SELECT * FROM read_csv('${parts}', header = true)`);
// Every line of a position group shows the same values in these models, so the
// report keeps one details line per group: SQL's DISTINCT lines per group give
// the same details and sums.
await db.run(`CREATE TABLE lines AS
  SELECT DISTINCT "%MNum" AS mnum, "%PosNum" AS pos, "%Name" AS name, "%Material" AS material,
         "%Length" AS length, "%Weight" AS weight, "%Quantity" AS quantity,
         "%Phase" AS phase, "%Class" AS class
  FROM parts WHERE "#type" IN (1, 2, 3)`);
await db.run(`COPY (SELECT * FROM lines ORDER BY mnum, pos) TO '${work}/details.csv'`);
await db.run(`COPY (SELECT mnum, pos, SUM(weight), SUM(length), SUM(quantity) FROM lines
                    GROUP BY ROLLUP (mnum, pos) ORDER BY mnum NULLS LAST, pos NULLS LAST)
              TO '${work}/sums.csv'`);
const reader = await db.runAndReadAll('SELECT COUNT(*) FROM lines');
const count = reader.getRows()[0][0];
const seconds = Number(process.hrtime.bigint() - start) / 1e9;
console.log(`${seconds.toFixed(3)} ${count}`);
