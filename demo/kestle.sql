:* The presentation of the SAMPLE database: a tour of a small sensor-instrument company.
:* Records open with ":tag title"; notes go between braces; "%" lines are the program's commands.
:section Welcome to the SAMPLE database
{
<p>This presentation walks through <b>SAMPLE</b>, the demonstration database of a small
company that builds sensor instruments. Click a node to see its notes; click an
<i>sql</i> node to run its statement in the current SQL window.</p>
<p>The results appear in the output window below the SQL window, and every run is logged
in the <b>Query Log</b> with its record count and its execution time.</p>
}
:info How to use this presentation
{
<ul>
<li>The main toolbar's key with the play triangle ("Toggle autorun property on/off")
switches automatic playback on and off; while it is off, the key shows two bars and a click
only pastes the statement into the SQL window.</li>
<li>Press the SQL window's play triangle ("Execute SQL") to run what it holds; edit it first
if you like.</li>
<li>A click on <b>SQL Information</b> in the query log opens a logged statement again.</li>
</ul>
}
:sql Who am I connected as?
{
<p>The special register <code>CURRENT USER</code> names the user of the connection.</p>
}
VALUES CURRENT USER
:section The database in pictures
{
<p>Three slides of the database this presentation works on. A slide opens in the slide
viewer; its arrow buttons step to the slide before and after it, skipping the other
nodes of the presentation.</p>
}
:screen [slide-sample-keys.svg] The SAMPLE tables and their keys
{
<p>Six tables. Each has a primary key; <code>EMP_ACT</code> and <code>SALES</code> have
keys of several columns. <code>EMPLOYEE</code> also has an index on its department and
one on its names.</p>
<p>The arrows are the columns the queries join on: they are not declared as foreign keys,
so the database does not check them.</p>
}
:screen [slide-statement-road.svg] From a click in the tree to the grid
{
<p>A click on an <i>sql</i> node pastes its statement into the current SQL window and, while
automatic playback is on, runs it. The runner splits the text at ";", replaces the
variables in square brackets and hands each statement to the database.</p>
<p>The rows fill the output window's grid; the query log keeps the record count and the
execution time of the run.</p>
}
:screen [slide-demo-tables.svg] The demonstrations' own tables
{
<p>The two built-in demonstrations bring their own tables. <code>PICTURES</code> holds each
picture with a map of its colours, which the function <code>rgb</code> searches.
<code>REAL_ESTATE</code> and <code>REAL_ESTATE_INDEX</code> hold the houses of the map
search and their places on the map.</p>
}
:section The catalog
{
<p>The database describes itself in its catalog tables <code>SYSORL.SYSTABLES</code> and
<code>SYSORL.SYSCOLUMNS</code>. The program's own commands query them for you.</p>
}
:sql List my tables
{
<p><code>%TABLES</code> lists the tables you created.</p>
}
%TABLES
:sql Tables whose name holds EMP
%TABLES EMP
:sql Describe the employee tables
{
<p><code>%DESCRIBE</code> lists the columns, their types, lengths and scales.</p>
}
%DESCRIBE EMP
:sql The catalog asked directly
SELECT NAME, CREATOR, TYPE, COLCOUNT, CARD
  FROM SYSORL.SYSTABLES
  WHERE CREATOR = USER
  ORDER BY NAME
:section Simple queries
{
<p>Queries over one table: selecting columns, filtering rows, sorting and computing.</p>
}
:sql Departments and where they are
SELECT DEPT_NO, DEPT_NAME, LOCATION
  FROM DEPARTMENT
  ORDER BY DEPT_NO
:sql The best-paid employees
{
<p><code>FETCH FIRST n ROWS ONLY</code> keeps the first rows of a sorted result.</p>
}
SELECT EMP_NO, FIRST_NAME, LAST_NAME, JOB, SALARY
  FROM EMPLOYEE
  ORDER BY SALARY DESC
  FETCH FIRST 10 ROWS ONLY
:sql Total pay of everybody
SELECT EMP_NO, LAST_NAME, SALARY, BONUS, COMM,
       SALARY + COALESCE(BONUS, 0) + COALESCE(COMM, 0) AS TOTAL_PAY
  FROM EMPLOYEE
  WHERE COMM > 0
  ORDER BY TOTAL_PAY DESC
:sql A query that finds nothing
{
<p>When no row qualifies, the status line says so and the run does not end with
"Command completed".</p>
}
SELECT * FROM STAFF WHERE YEARS > 99
:section Joins and groups
:examples Joining tables
{
<p>Rows of two tables meet where their keys are equal.</p>
}
:sql Employees with their department
SELECT E.EMP_NO, E.LAST_NAME, D.DEPT_NAME, D.LOCATION
  FROM EMPLOYEE E JOIN DEPARTMENT D ON D.DEPT_NO = E.DEPT_NO
  ORDER BY D.DEPT_NAME, E.LAST_NAME
:sql Departments without employees
{
<p>An outer join keeps the departments that nobody works in.</p>
}
SELECT D.DEPT_NO, D.DEPT_NAME
  FROM DEPARTMENT D LEFT JOIN EMPLOYEE E ON E.DEPT_NO = D.DEPT_NO
  WHERE E.EMP_NO IS NULL
:sql Projects and who leads them
SELECT P.PROJ_NO, P.PROJ_NAME, E.FIRST_NAME || ' ' || E.LAST_NAME AS LEADER, P.START_DATE, P.END_DATE
  FROM PROJECT P JOIN EMPLOYEE E ON E.EMP_NO = P.RESP_EMP
  ORDER BY P.PROJ_NO
:examples Grouping
:sql Head count and pay by department
SELECT D.DEPT_NAME, COUNT(*) AS PEOPLE, AVG(E.SALARY) AS AVERAGE_SALARY, MAX(E.SALARY) AS TOP_SALARY
  FROM EMPLOYEE E JOIN DEPARTMENT D ON D.DEPT_NO = E.DEPT_NO
  GROUP BY D.DEPT_NAME
  ORDER BY PEOPLE DESC
:sql Jobs held by more than two people
SELECT JOB, COUNT(*) AS PEOPLE
  FROM EMPLOYEE
  GROUP BY JOB
  HAVING COUNT(*) > 2
  ORDER BY PEOPLE DESC
:section Program variables
{
<p>Variables written in square brackets are replaced before a statement runs. The built-in
ones hold the program's settings: VERSION, DATABASE, FONT and others.</p>
}
:sql Choose a department
{
<p><code>%VAR</code> sets variables; the next node uses <code>[DEPT]</code>.</p>
}
%VAR DEPT=R10 CITY=Eindhoven
:sql The people of the chosen department
SELECT EMP_NO, FIRST_NAME, LAST_NAME, JOB
  FROM EMPLOYEE
  WHERE DEPT_NO = '[DEPT]'
  ORDER BY LAST_NAME
:sql Departments in the chosen city
SELECT DEPT_NO, DEPT_NAME FROM DEPARTMENT WHERE LOCATION = '[CITY]'
:sql The program's settings
VALUES '[VERSION]', '[DATABASE]', '[FONT]', '[FONTSIZE]'
:section Changing data
{
<p>Statements that change data report their execution time; the catalog knows at once about
new tables.</p>
}
:sql Create a table for notes when it is missing
{
<p><code>%IF NOTEXISTS=table</code> runs the statements up to <code>%ENDIF</code> only when
the table does not exist yet, so this node can be clicked twice.</p>
}
%IF NOTEXISTS=MEETING_NOTE;
CREATE TABLE MEETING_NOTE (
  NOTE_NO   INTEGER      NOT NULL PRIMARY KEY,
  DEPT_NO   CHAR(3)      NOT NULL,
  WRITTEN   DATE         NOT NULL,
  TEXT      VARCHAR(200) NOT NULL
);
%ENDIF
:sql Add two notes
DELETE FROM MEETING_NOTE;
INSERT INTO MEETING_NOTE VALUES (1, 'R10', CURRENT DATE, 'New humidity sensor passed its field test');
INSERT INTO MEETING_NOTE VALUES (2, 'S10', CURRENT DATE, 'Trade fair in Hanover booked')
:sql Read them back
SELECT N.NOTE_NO, D.DEPT_NAME, N.WRITTEN, N.TEXT
  FROM MEETING_NOTE N JOIN DEPARTMENT D ON D.DEPT_NO = N.DEPT_NO
:sql A duplicate key is refused
{
<p>The database refuses a second note with the same number; its message shows on the status
line and in the query log, where a click on the warning shows it again.</p>
}
INSERT INTO MEETING_NOTE VALUES (1, 'M00', CURRENT DATE, 'A second note number 1')
:sql Collect statistics
{
<p><code>%RUNSTATS table</code> collects the statistics of one of your tables; the catalog's
<code>CARD</code> then shows its row count.</p>
}
%RUNSTATS MEETING_NOTE;
SELECT NAME, CARD FROM SYSORL.SYSTABLES WHERE NAME = 'MEETING_NOTE'
:include kestle-sales.sql
:include kestle-tools.sql
:include kestle-charts.sql
:section The end
{
<p>Thank you. <code>%DISCONNECT</code> ends the connection; the main toolbar's key with the
plug ("Connect to new database") opens a new one.</p>
}
