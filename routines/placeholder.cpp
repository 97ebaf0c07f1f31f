int f(); 
