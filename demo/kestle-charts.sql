:* Included by kestle.sql: charts of results and charts of statement timings.
:section Charts of results
{
<p>A query fills the output window; <code>%PLOT</code> then draws that result as a chart.
<code>LABELS=n</code> names the column of the labels, <code>DATA=n</code> the column of the
values, and for a line chart <code>GROUP=n</code> the column whose changes start a new
line. A click on the chart closes its window; <code>%PLOT MENU</code> shows it again.</p>
}
:sql Sales by region as bars
{
<p>One bar for each row of the result.</p>
}
SELECT REGION, SUM(SALES_COUNT) AS SOLD
  FROM SALES
  GROUP BY REGION
  ORDER BY SOLD DESC;
%PLOT BAR LABELS=1 DATA=2 TITLE='Sales by region'
:sql Head count by department as a pie
{
<p>One slice for each department, named in the legend.</p>
}
SELECT D.DEPT_NAME, COUNT(*) AS PEOPLE
  FROM EMPLOYEE E JOIN DEPARTMENT D ON D.DEPT_NO = E.DEPT_NO
  GROUP BY D.DEPT_NAME
  ORDER BY PEOPLE DESC;
%PLOT PIE LABELS=1 DATA=2 TITLE='Head count by department'
:sql Monthly sales of each region as lines
{
<p>The rows come sorted by region: every region is a line of its own, month by month.</p>
}
SELECT REGION, SUBSTR(SALES_DATE, 1, 7) AS MONTH, SUM(SALES_COUNT) AS SOLD
  FROM SALES
  GROUP BY REGION, SUBSTR(SALES_DATE, 1, 7)
  ORDER BY REGION, MONTH;
%PLOT 2DLINE GROUP=1 LABELS=2 DATA=3 TITLE='Monthly sales by region'
:section Timing statements
{
<p><code>%GRAPH</code> runs one statement again and again and draws the time of each run;
<code>%COMPARE</code> runs two statements as often each and draws their average times side by
side. Neither fetches rows: the chart shows the database's own work. The SQL window's key
with the line chart times whatever the window holds, twenty times.</p>
}
:sql Make a table of sensor readings
{
<p>100 000 readings, twice: once in a table without an index, once in a table with an index
on the sensor number. The node can be clicked again: the tables are made only once.</p>
}
%IF NOTEXISTS=SENSOR_READING;
CREATE TABLE SENSOR_READING (
  READING_NO INTEGER      NOT NULL,
  SENSOR_NO  SMALLINT     NOT NULL,
  TAKEN      DATE         NOT NULL,
  MEASURED   DECIMAL(7,2) NOT NULL
);
INSERT INTO SENSOR_READING
  WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 100000)
  SELECT I, I % 500, DATE('2004-01-01', '+' || (I % 366) || ' days'), (I * 37 % 10000) / 100.0 FROM N;
CREATE TABLE SENSOR_READING_IX (
  READING_NO INTEGER      NOT NULL,
  SENSOR_NO  SMALLINT     NOT NULL,
  TAKEN      DATE         NOT NULL,
  MEASURED   DECIMAL(7,2) NOT NULL
);
INSERT INTO SENSOR_READING_IX SELECT * FROM SENSOR_READING;
CREATE INDEX SENSOR_READING_IX_SENSOR ON SENSOR_READING_IX (SENSOR_NO);
%ENDIF;
SELECT COUNT(*) AS READINGS, COUNT(DISTINCT SENSOR_NO) AS SENSORS FROM SENSOR_READING
:sql Time one statement twenty times
{
<p>The first run only warms up; each of the next twenty is a point of the line, and the
average is written below the chart.</p>
}
%GRAPH SQL='SELECT SENSOR_NO, AVG(MEASURED) FROM SENSOR_READING GROUP BY SENSOR_NO' REPEAT=20 COLOR=RED TITLE='Average reading of each sensor'
:sql Compare a search with and without an index
{
<p>The same search for one sensor's readings, ten times in each table: the index finds the
rows without reading the whole table.</p>
}
%COMPARE SQL1='SELECT COUNT(*) FROM SENSOR_READING WHERE SENSOR_NO = 42' LABEL1='No index' SQL2='SELECT COUNT(*) FROM SENSOR_READING_IX WHERE SENSOR_NO = 42' LABEL2='Index on SENSOR_NO' REPEAT=10 TITLE='Search for one sensor'
