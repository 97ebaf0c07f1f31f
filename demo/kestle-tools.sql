:* Included by kestle.sql: a script that asks the presenter, and the product's own tools.
:section Asking the presenter
{
<p>A script can stop and ask. <code>%PROMPT</code> reads a value into a variable that the
statements after it use, <code>%MSG</code> asks whether to go on, and <code>%DISPLAY</code>
shows a message window while the script runs. An empty answer, or Cancel, stops the script.</p>
}
:sql Pick a department and list its people
{
<p>The answer goes into the variable <code>DEPT</code>, and the query after the prompt reads
it as <code>[DEPT]</code>.</p>
}
%PROMPT TITLE="Department" TEXT="Which department? (M00, R10, R20, O10, S10 ...)" DEFAULT=R10 VAR=DEPT;
SELECT EMP_NO, FIRST_NAME, LAST_NAME, JOB
  FROM EMPLOYEE
  WHERE DEPT_NO = '[DEPT]'
  ORDER BY LAST_NAME
:sql Ask before a report
{
<p>The message window stays on the screen while the script runs and goes when it ends.</p>
}
%DISPLAY Counting the sales of every region ...;
%MSG TITLE="Sales report" TEXT="Count the sales of every region now?";
SELECT REGION, SUM(SALES_COUNT) AS SOLD
  FROM SALES
  GROUP BY REGION
  ORDER BY SOLD DESC
:sql The program's variables
{
<p><code>%DUMPVARS</code> lists every program variable in an output window of its own: the
built-in ones and those that the script set, such as <code>DEPT</code>.</p>
}
%DUMPVARS
:section The product's tools
{
<p>The program starts the database's own tools: the explain tool, the command line processor
and the system's command interpreter. Each works on a file that the program writes first.</p>
}
:sql How the database runs a join
{
<p><code>%EXPLAIN</code> shows the estimated cost and the access plan of a statement without
running it. The SQL window's key with a window and a list ("Show textual explain of SQL")
does the same for its text.</p>
}
%EXPLAIN "SELECT E.LAST_NAME, D.DEPT_NAME FROM EMPLOYEE E JOIN DEPARTMENT D ON D.DEPT_NO = E.DEPT_NO WHERE E.SALARY > 50000"
:sql A script for the command line processor
{
<p><code>%ZAL</code> writes its statements into a script, runs the command line processor on
it and shows the processor's report in the text editor.</p>
}
%ZAL "SELECT DEPT_NO, DEPT_NAME, LOCATION FROM DEPARTMENT ORDER BY DEPT_NO" "SELECT JOB, COUNT(*) AS PEOPLE FROM EMPLOYEE GROUP BY JOB ORDER BY JOB"
:sql A system command
{
<p><code>%CMD</code> writes its lines into a batch file and runs it: here it notes the date
and the free disk space and opens the note in the text editor.</p>
}
%CMD "date > ZALSYSTEM.TXT" "df -h . >> ZALSYSTEM.TXT" "notepad ZALSYSTEM.TXT"
:sql A command window
{
<p><code>%CMD</code> alone opens a command window.</p>
}
%CMD
